// SPDX-License-Identifier: GPL-3.0-or-later
// NetEase 163: each account has its own sub-domain; the lists are built by page scripts
// and read through the browser; pages are code page 936.
#include "core/textfunctions.h"
#include "services/neteasereader.h"
#include "services/service.h"

namespace pellomar {

namespace {

QString Domain() {
    return QString::fromLatin1(hosts::kNetEaseDomain);
}

// The link cell carries five characters more than the article's path.
QString NetEaseArticleAddress(const QString& taskName, const QString& link) {
    if (link.size() < 5)
        return {};
    return u"http://" + taskName + u'.' + Domain() + u"/blog/static/" + link.left(link.size() - 5);
}

QString NetEaseBlogAddress(const QString& name) {
    return u"http://" + name + u'.' + Domain() + u"/blog/#m=0";
}

Service Build() {
    Service s;
    s.cliName = QStringLiteral("netease");
    s.profile = {
        QStringLiteral("GB2312"),
        Quoted(QStringLiteral("<div class=#multicntwrap#>")),
        Quoted(QStringLiteral("<script type=#text/javascript# id=#wumiiRelatedItems#></script>")),
        QStringLiteral("你试图访问的日志地址不存在"),
        QStringLiteral("版权所有"),
        QStringLiteral("你试图访问的日志地址不存在"),
        QStringLiteral("title=阅读全文"),
        QStringLiteral("111+++++111")};
    s.articleAddress = &NetEaseArticleAddress;
    s.blogAddress = &NetEaseBlogAddress;
    s.exampleName = QStringLiteral("wangyi2008");
    s.preparePictures = &PicturesAsTheyStand;
    s.goneSignature = QStringLiteral("—kavroPellomar。");
    s.makeReader = [] { return std::unique_ptr<ListReader>(std::make_unique<NetEaseReader>()); };
    s.needsBrowser = true;
    return s;
}

} // namespace

const Service& NetEaseService() {
    static const Service service = Build();
    return service;
}

} // namespace pellomar
