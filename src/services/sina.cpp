// SPDX-License-Identifier: GPL-3.0-or-later
// Sina: the list address is typed by the user; pages are UTF-8; pictures are lazy images.
#include "core/filenames.h"
#include "services/service.h"
#include "services/sinareader.h"

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
    return s;
}

} // namespace

const Service& SinaService() {
    static const Service service = Build();
    return service;
}

} // namespace pellomar
