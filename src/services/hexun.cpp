// SPDX-License-Identifier: GPL-3.0-or-later
// Hexun: each account has its own sub-domain; pages are code page 936; its pictures are
// not saved.
#include "services/hexunreader.h"
#include "services/service.h"

namespace pellomar {

namespace {

QString Domain() {
    return QString::fromLatin1(hosts::kHexunDomain);
}

QString HexunArticleAddress(const QString& taskName, const QString& link) {
    return u"http://" + taskName + u'.' + Domain() + u'/' + link;
}

QString HexunBlogAddress(const QString& name) {
    return u"http://" + name + u'.' + Domain();
}

Service Build() {
    Service s;
    s.cliName = QStringLiteral("hexun");
    s.profile = {QStringLiteral("GB2312"),
                 QStringLiteral("<!--  文章内容:开始  -->"),
                 QStringLiteral("<!-- 分享 -->"),
                 QStringLiteral("主人将内容设置为"),
                 QStringLiteral("和讯网"),
                 QStringLiteral("可以免去记忆多个帐号的麻烦"),
                 std::nullopt,
                 std::nullopt};
    s.articleAddress = &HexunArticleAddress;
    s.blogAddress = &HexunBlogAddress;
    s.picturesByDefault = false;
    s.exampleName = QStringLiteral("caijing2008");
    s.goneSignature = QStringLiteral("—kavroPellomar。");
    s.makeReader = [] { return std::unique_ptr<ListReader>(std::make_unique<HexunReader>()); };
    return s;
}

} // namespace

const Service& HexunService() {
    static const Service service = Build();
    return service;
}

} // namespace pellomar
