// SPDX-License-Identifier: GPL-3.0-or-later
// Baidu space: the blog is named by its account; pages are code page 936.
#include "services/baidureader.h"
#include "services/service.h"

namespace pellomar {

namespace {

QString Host() {
    return QString::fromLatin1(hosts::kBaiduSpace);
}

QString BaiduArticleAddress(const QString& taskName, const QString& link) {
    return u"http://" + Host() + u'/' + taskName + u"/blog/item/" + link;
}

QString BaiduBlogAddress(const QString& name) {
    return u"http://" + Host() + u'/' + name + u"/blog";
}

Service Build() {
    Service s;
    s.cliName = QStringLiteral("baidu");
    s.profile = {QStringLiteral("GB2312"),
                 QStringLiteral("查看文章</span></div></td>"),
                 QStringLiteral("网友评论：</div>"),
                 QStringLiteral(">版权所有</a></p>"),
                 QStringLiteral("免责声明</FONT>"),
                 QStringLiteral("myblog/htmlsource/blog_notopen"),
                 std::nullopt,
                 std::nullopt};
    s.articleAddress = &BaiduArticleAddress;
    s.blogAddress = &BaiduBlogAddress;
    s.exampleName = QStringLiteral("xiaoyu2008");
    s.preparePictures = &PicturesAsTheyStand;
    s.goneSignature = QStringLiteral("—kavroPellomar。");
    s.makeReader = [] { return std::unique_ptr<ListReader>(std::make_unique<BaiduReader>()); };
    return s;
}

} // namespace

const Service& BaiduService() {
    static const Service service = Build();
    return service;
}

} // namespace pellomar
