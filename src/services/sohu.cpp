// SPDX-License-Identifier: GPL-3.0-or-later
// Sohu: each account has its own sub-domain; the lists are built by page scripts and read
// through the browser; pages are code page 936.
#include "core/textfunctions.h"
#include "services/service.h"
#include "services/sohureader.h"

namespace pellomar {

namespace {

QString Domain() {
    return QString::fromLatin1(hosts::kSohuDomain);
}

QString SohuArticleAddress(const QString& taskName, const QString& link) {
    return u"http://" + taskName + u'.' + Domain() + u'/' + link;
}

QString SohuBlogAddress(const QString& name) {
    return u"http://" + name + u'.' + Domain() + u"/entry/";
}

Service Build() {
    Service s;
    s.cliName = QStringLiteral("sohu");
    s.profile = {
        QStringLiteral("GB2312"),
        Quoted(QStringLiteral("<div class=#item-body#>")),
        Quoted(QStringLiteral("<div id=#miniAd# style=#display:none;padding-top:20px#></div>")),
        QStringLiteral("如果地址无误就说明此博客或文章已被删"),
        QStringLiteral("请再次确认您访问的博客或文章的地址"),
        QStringLiteral("请再次确认您访问的博客或文章的地址"),
        QStringLiteral("<DIV class=content-bottom>"),
        QStringLiteral("正在加载日志数据")};
    s.articleAddress = &SohuArticleAddress;
    s.blogAddress = &SohuBlogAddress;
    s.exampleName = QStringLiteral("souhu2008");
    s.preparePictures = &PicturesAsTheyStand;
    s.goneSignature = QStringLiteral("—kavroPellomar。");
    s.makeReader = [] { return std::unique_ptr<ListReader>(std::make_unique<SohuReader>()); };
    s.needsBrowser = true;
    return s;
}

} // namespace

const Service& SohuService() {
    static const Service service = Build();
    return service;
}

} // namespace pellomar
