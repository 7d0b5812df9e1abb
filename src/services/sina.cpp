// SPDX-License-Identifier: GPL-3.0-or-later
// Sina: the list address is typed by the user; pages are UTF-8; pictures are lazy images.
#include "core/filenames.h"
#include "services/service.h"
#include "services/sinareader.h"

#include <QRegularExpression>

namespace pellomar {

namespace {

QString Host(const char* host) {
    return QString::fromLatin1(host);
}

QString SinaArticleAddress(const QString&, const QString& link) {
    return u"http://" + Host(hosts::kSinaBlog) + u"/s/" + link;
}

// Sina shows a transparent placeholder and keeps the real address in real_src.
QString SinaPictures(QString body) {
    body.remove(u"src=\"http://" + Host(hosts::kSinaStatic) +
                u"/blog7style/images/common/sg_trans.gif\"");
    body.replace(QStringLiteral("real_src"), QStringLiteral("src"));
    body.replace(QStringLiteral(" src ="), QStringLiteral(" src="));
    return body;
}

// Today's pages write the service's addresses protocol-relative ("//blog.sina.com.cn/...")
// or with https; the 2011 pages, whose markers and file names the rest is made of, wrote
// http.
QString SinaSameAddresses(QString text) {
    static const QRegularExpression address(
        QStringLiteral(R"((?:https:|(?<![\w:/.\-]))//((?:[a-z0-9-]+\.)*(?:sina\.com\.cn|)"
                       R"(sinaimg\.cn|sinajs\.cn))(?![\w.\-]))"),
        QRegularExpression::CaseInsensitiveOption);
    return text.replace(address, QStringLiteral("http://\\1"));
}

// The article page's heading: <h2 id="t_..." class="titName SG_txta">...</h2>.
QString SinaPageTitle(const QString& page) {
    static const QRegularExpression heading(
        QStringLiteral(R"(<h2[^>]*class="titName[^"]*"[^>]*>([\s\S]*?)</h2>)"));
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    return heading.match(page).captured(1).remove(tags).trimmed();
}

// The list and article pages show "middle", "bmiddle" or "mw690" sizes; the service keeps
// the picture as uploaded under its own spelling "orignal", without the size suffix.
QString SinaOriginalPicture(const QString& address) {
    static const QRegularExpression sized(
        QStringLiteral(R"(^(http://[a-z0-9]+\.sinaimg\.cn)/(?:middle|bmiddle|mw690)/([^&?#/]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = sized.match(address);
    return match.hasMatch() ? match.captured(1) + u"/orignal/" + match.captured(2) : QString();
}

Service Build() {
    Service s;
    s.cliName = QStringLiteral("sina");
    s.profile = {QStringLiteral("UTF-8"),
                 QStringLiteral("<!-- 正文开始 -->"),
                 QStringLiteral("<!-- 正文结束 -->"),
                 QStringLiteral(">版权所有</a></p>"),
                 u"http://" + Host(hosts::kSinaBlog) + u"/main_v5/ria",
                 QStringLiteral("myblog/htmlsource/blog_notopen"),
                 std::nullopt,
                 std::nullopt};
    s.articleAddress = &SinaArticleAddress;
    s.cleansTaskName = true;
    s.exampleName = QStringLiteral("新浪博客示例");
    s.exampleAddress = u"http://" + Host(hosts::kSinaBlog) + u"/s/articlelist_1234567890_0_1.html";
    s.preparePictures = &SinaPictures;
    // Sina signs with two hyphens, the others with an em dash.
    s.goneSignature = QStringLiteral("--kavroPellomar。");
    s.makeReader = [] { return std::unique_ptr<ListReader>(std::make_unique<SinaReader>()); };
    s.sameAddresses = &SinaSameAddresses;
    s.pageTitle = &SinaPageTitle;
    // As users of the service report them (2022 on): a blog its owner closed, a single
    // article for logged-in readers, and the check after too many requests.
    s.walls = {
        {QStringLiteral("您的访问过于频繁，请输入验证码"), QStringLiteral("新浪要求验证："), true},
        {QStringLiteral("系统维护中，博文仅作者可见"), QStringLiteral("需要登录才能看："), false},
        {QStringLiteral("需要登录"), QStringLiteral("需要登录才能看："), false}};
    // The list pages answer 418 after about 28 fetched back to back: 24 a minute stays
    // below. Article pages and pictures go as fast as the service lets them.
    s.pace = {{QStringLiteral("新浪"),
               {Host(hosts::kSinaBlog)},
               {QStringLiteral("/s/articlelist_"), QStringLiteral("/s/favourites_")},
               24},
              {QStringLiteral("新浪"),
               {QStringLiteral("sinaimg.cn"), QStringLiteral("sinajs.cn")},
               {},
               0}};
    s.pictureReferer = "https://blog.sina.com.cn/";
    s.loginCookie = "SUB";
    s.originalPicture = &SinaOriginalPicture;
    s.loginAddress = QStringLiteral("https://login.sina.com.cn/signup/signin.php?entry=blog");
    return s;
}

} // namespace

const Service& SinaService() {
    static const Service service = Build();
    return service;
}

} // namespace pellomar
