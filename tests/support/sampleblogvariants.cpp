// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/sampleblogvariants.h"

#include "demo/samplemarkup.h"

#include <QHash>

namespace pellomar::test {

namespace {

using sample::CategoryListings;
using sample::SampleArticle;
using sample::SampleBlog;
using sample::SampleCategory;

constexpr char kGoneColumn[] = R"(	<div id="column_2" class="SG_colW73">
		<div class="SG_conn"><div class="SG_connBody">
			<p class="SG_txtc">抱歉，您要访问的博文已被删除或设为私密。</p>
			<script type="text/javascript">setTimeout(function(){window.location.href="http://blog.sina.com.cn/myblog/htmlsource/blog_notopen.php?uid=@UID@&version=7";},3000);</script>
		</div></div>
	</div>
)";

QList<SampleArticle> Listing(const SampleBlog& blog, const CategoryListings& listings,
                             const SampleCategory& category) {
    const auto given = listings.constFind(category.id);
    return given != listings.cend() ? *given : sample::CategoryListing(blog, category);
}

} // namespace

QString ListTwice(const SampleBlog& blog, CategoryListings& listings) {
    if (blog.categories.isEmpty())
        return {};
    const SampleCategory& category = blog.categories.first();
    QList<SampleArticle> listing = Listing(blog, listings, category);
    if (listing.isEmpty())
        return {};
    listing.insert(1, listing.first());
    listings.insert(category.id, listing);
    return listing.first().link;
}

QString ListInSecondCategory(const SampleBlog& blog, qsizetype index, CategoryListings& listings) {
    const SampleArticle& article = blog.articles.at(index);
    qsizetype own = -1;
    for (qsizetype c = 0; c < blog.categories.size() && own < 0; ++c)
        if (blog.categories[c].name == article.category)
            own = c;
    if (own < 0 || blog.categories.size() < 2)
        return {};
    const SampleCategory& second = blog.categories[(own + 1) % blog.categories.size()];
    QList<SampleArticle> listing = Listing(blog, listings, second);
    QHash<QString, qsizetype> order;
    for (qsizetype a = 0; a < blog.articles.size(); ++a)
        order.insert(blog.articles[a].link, a);
    qsizetype at = 0;
    while (at < listing.size() && order.value(listing[at].link) < index)
        ++at;
    listing.insert(at, article);
    listings.insert(second.id, listing);
    return second.name;
}

void ServeGonePage(const SampleBlog& blog, const SampleArticle& article, LoopbackServer& server) {
    const QString column =
        QString::fromUtf8(kGoneColumn).replace(QStringLiteral("@UID@"), QString::number(blog.uid));
    server.SetResponse(
        sample::ArticlePageAddress(article),
        sample::HtmlResponse(sample::RenderArticleFrame(blog, QStringLiteral("新浪博客"), column)));
}

void ServeEmptyPage(const SampleArticle& article, LoopbackServer& server) {
    server.SetResponse(sample::ArticlePageAddress(article), sample::HtmlResponse(QString()));
}

} // namespace pellomar::test
