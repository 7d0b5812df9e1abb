// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/siteprofile.h"

#include <array>

namespace pellomar {

namespace {

QString Quoted(QString text) {
    return text.replace(u'#', u'"');
}

QString Host(const char* host) {
    return QString::fromLatin1(host);
}

std::array<SiteProfile, kServiceCount> BuildProfiles() {
    const QString copyright = QStringLiteral(">版权所有</a></p>");
    const QString notOpen = QStringLiteral("myblog/htmlsource/blog_notopen");
    return {{
        {QStringLiteral("新浪"), QStringLiteral("UTF-8"), QStringLiteral("<!-- 正文开始 -->"),
         QStringLiteral("<!-- 正文结束 -->"), copyright,
         u"http://" + Host(hosts::kSinaBlog) + u"/main_v5/ria", notOpen, std::nullopt,
         std::nullopt},
        {QStringLiteral("百度"), QStringLiteral("GB2312"),
         QStringLiteral("查看文章</span></div></td>"), QStringLiteral("网友评论：</div>"),
         copyright, QStringLiteral("免责声明</FONT>"), notOpen, std::nullopt, std::nullopt},
        {QStringLiteral("和讯"), QStringLiteral("GB2312"),
         QStringLiteral("<!--  文章内容:开始  -->"), QStringLiteral("<!-- 分享 -->"),
         QStringLiteral("主人将内容设置为"), QStringLiteral("和讯网"),
         QStringLiteral("可以免去记忆多个帐号的麻烦"), std::nullopt, std::nullopt},
        {QStringLiteral("网易"), QStringLiteral("GB2312"),
         Quoted(QStringLiteral("<div class=#multicntwrap#>")),
         Quoted(QStringLiteral("<script type=#text/javascript# id=#wumiiRelatedItems#></script>")),
         QStringLiteral("你试图访问的日志地址不存在"), QStringLiteral("版权所有"),
         QStringLiteral("你试图访问的日志地址不存在"), QStringLiteral("title=阅读全文"),
         QStringLiteral("111+++++111")},
        {QStringLiteral("搜狐"), QStringLiteral("GB2312"),
         Quoted(QStringLiteral("<div class=#item-body#>")),
         Quoted(QStringLiteral("<div id=#miniAd# style=#display:none;padding-top:20px#></div>")),
         QStringLiteral("如果地址无误就说明此博客或文章已被删"),
         QStringLiteral("请再次确认您访问的博客或文章的地址"),
         QStringLiteral("请再次确认您访问的博客或文章的地址"),
         QStringLiteral("<DIV class=content-bottom>"), QStringLiteral("正在加载日志数据")},
    }};
}

} // namespace

bool IsKnownService(ServiceKind kind) {
    return kind < kServiceCount;
}

const SiteProfile* Profile(ServiceKind kind) {
    static const std::array<SiteProfile, kServiceCount> profiles = BuildProfiles();
    return IsKnownService(kind) ? &profiles[kind] : nullptr;
}

QString ServiceLabel(ServiceKind kind) {
    const SiteProfile* profile = Profile(kind);
    return profile ? profile->Label : QString();
}

QString ArticleAddress(ServiceKind kind, const QString& taskName, const QString& link) {
    switch (kind) {
    case kSina:
        return u"http://" + Host(hosts::kSinaBlog) + u"/s/" + link;
    case kBaidu:
        return u"http://" + Host(hosts::kBaiduSpace) + u'/' + taskName + u"/blog/item/" + link;
    case kHexun:
        return u"http://" + taskName + u'.' + Host(hosts::kHexunDomain) + u'/' + link;
    case kNetEase:
        if (link.size() < 5)
            return {};
        return u"http://" + taskName + u'.' + Host(hosts::kNetEaseDomain) + u"/blog/static/" +
               link.left(link.size() - 5);
    case kSohu:
        return u"http://" + taskName + u'.' + Host(hosts::kSohuDomain) + u'/' + link;
    default:
        return {};
    }
}

} // namespace pellomar
