// SPDX-License-Identifier: GPL-3.0-or-later
// The sample blog must look to the Sina reader and the article processing exactly like
// the service's pages: these tests apply the reader's own markers and patterns to it.
#include "demo/sampleblog.h"
#include "demo/samplemarkup.h"
#include "platform/httpclient.h"
#include "platform/network.h"
#include "services/service.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"
#include "support/sampleblogvariants.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::sample;

namespace {

// The reader's matching: case-insensitive, "." never crosses a line feed, "#" for '"'.
QStringList Matches(QString pattern, const QString& text) {
    pattern.replace(u'#', u'"');
    const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (auto it = re.globalMatch(text); it.hasNext();)
        found.append(it.next().captured());
    return found;
}

QString Between(const QString& text, const QString& start, const QString& end) {
    const qsizetype s = text.indexOf(start);
    if (s < 0)
        return QStringLiteral("<none>");
    const qsizetype e = text.indexOf(end, s + start.size());
    return e < 0 ? QStringLiteral("<none>") : text.mid(s + start.size(), e - s - start.size());
}

QString Page(const QMap<QString, LoopbackServer::Response>& pages, const QString& address) {
    const auto it = pages.constFind(address);
    EXPECT_NE(it, pages.constEnd()) << qPrintable(address);
    if (it == pages.constEnd())
        return {};
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(it->body);
    EXPECT_FALSE(utf8.hasError()) << qPrintable(address);
    return text;
}

int LineOf(const QStringList& lines, const QString& marker) {
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains(marker))
            return i;
    return -1;
}

const QString kSinaPrefix = u"http://" + QString::fromLatin1(hosts::kSinaBlog) + u"/s/";

SampleOptions Typical() {
    SampleOptions options;
    options.articleCount = 120;
    options.categoryCount = 3;
    options.emptyCategoryCount = 1;
    options.uncategorisedCount = 10;
    options.favouriteCount = 3;
    options.picturesPerArticle = 2;
    options.seed = 7;
    return options;
}

TEST(SampleBlog, FirstPageMenuLineHasTheRealShape) {
    const SampleBlog blog = GenerateSampleBlog(Typical());
    const auto pages = SamplePages(blog);
    const QStringList lines = Page(pages, FirstPageAddress(blog)).split(u'\n');

    const int menu = LineOf(lines, QStringLiteral("<strong>全部博文</strong>"));
    ASSERT_GE(menu, 0);
    const QString& line = lines[menu];
    EXPECT_TRUE(
        line.contains(QStringLiteral("<strong>全部博文</strong><em>(120)</em></span></div>         "
                                     "<div class=\"menuCell_bot\"></div> </li>")));
    // The current entry does not end in "</div></li>", so it shares the first piece with the
    // first category; the last piece is what follows the last entry.
    const QStringList pieces = line.split(QStringLiteral("</div></li>"));
    ASSERT_EQ(pieces.size(), blog.categories.size() + 1);
    // Piece 0: the total, then the first category's address.
    EXPECT_EQ(Between(pieces[0], QStringLiteral("<em>("), QStringLiteral(")</em>")),
              QStringLiteral("120"));
    for (int c = 0; c < blog.categories.size(); ++c) {
        const SampleCategory& category = blog.categories[c];
        EXPECT_EQ(u"http" + Between(pieces[c], QStringLiteral("http"), QStringLiteral(".html")) +
                      u".html",
                  CategoryPageAddress(blog, category, 1));
        if (c > 0) {
            EXPECT_EQ(Between(pieces[c], QStringLiteral("<em>("), QStringLiteral(")</em>")),
                      QString::number(CategoryCount(blog, category)))
                << c;
        }
    }
    EXPECT_TRUE(pieces[0].contains(CategoryPageAddress(blog, blog.categories[0], 1)));
    EXPECT_FALSE(pieces.last().contains(QStringLiteral("<em>(")));
    EXPECT_EQ(CategoryCount(blog, blog.categories.last()), 0) << "the empty category comes last";

    const int favourites = LineOf(lines, QStringLiteral("博文收藏</a><em>"));
    ASSERT_GT(favourites, menu);
    EXPECT_EQ(
        Between(lines[favourites], QStringLiteral("博文收藏</a><em>("), QStringLiteral(")</em></")),
        QStringLiteral("3"));

    const int heading = LineOf(lines, QStringLiteral("comp_title=\"全部博文"));
    ASSERT_GT(heading, favourites);
    EXPECT_EQ(Between(lines[heading], QStringLiteral("全部博文<em>("), QStringLiteral(")</em>")),
              QStringLiteral("120"));
}

TEST(SampleBlog, CleanMenuShapeGivesEveryCategoryItsOwnPiece) {
    SampleOptions options = Typical();
    options.menuShape = MenuShape::Clean;
    const SampleBlog blog = GenerateSampleBlog(options);
    const QStringList lines = Page(SamplePages(blog), FirstPageAddress(blog)).split(u'\n');
    const int menu = LineOf(lines, QStringLiteral("<strong>全部博文</strong>"));
    ASSERT_GE(menu, 0);
    const QStringList pieces = lines[menu].split(QStringLiteral("</div></li>"));
    ASSERT_EQ(pieces.size(), blog.categories.size() + 2);
    EXPECT_FALSE(pieces[0].contains(QStringLiteral("articlelist_")));
    for (int c = 0; c < blog.categories.size(); ++c)
        EXPECT_TRUE(pieces[c + 1].contains(CategoryPageAddress(blog, blog.categories[c], 1)));
}

TEST(SampleBlog, ListPagesShowFiftyEntriesThatTheReaderPatternsPairUp) {
    const SampleBlog blog = GenerateSampleBlog(Typical());
    const auto pages = SamplePages(blog);
    const QString items = QStringLiteral("<a title=.*target=#_blank# href=.*>.*</a></span>");
    const QString times = QStringLiteral("<span class=#atc_tm SG_txtc#>.*</span>");
    const QString heads = QStringLiteral("<span comp_title=#.*<em>.*</em># class=#title#>");

    QStringList links;
    for (int k = 1; k <= 3; ++k) {
        const QString text = Page(pages, AllArticlesPageAddress(blog, k));
        const QStringList found = Matches(items, text);
        ASSERT_EQ(found.size(), k < 3 ? 50 : 20) << k;
        const QStringList dates = Matches(times, text);
        ASSERT_EQ(dates.size(), found.size());
        EXPECT_EQ(Between(Matches(heads, text).join(QString()),
                          QStringLiteral("<span comp_title=\""), QStringLiteral("<em>")),
                  QStringLiteral("全部博文"));
        for (int i = 0; i < found.size(); ++i) {
            const SampleArticle& article = blog.articles[(k - 1) * 50 + i];
            EXPECT_EQ(
                Between(found[i], QStringLiteral("<a title=\""), QStringLiteral("\" target=")),
                article.title);
            EXPECT_EQ(
                Between(dates[i], QStringLiteral("atc_tm SG_txtc\">"), QStringLiteral("</span>")),
                article.date);
            links.append(Between(found[i], kSinaPrefix, QStringLiteral("\">")));
        }
    }
    EXPECT_FALSE(pages.contains(AllArticlesPageAddress(blog, 4)));
    ASSERT_EQ(links.size(), 120);
    EXPECT_EQ(QSet<QString>(links.begin(), links.end()).size(), 120) << "links are distinct";
    EXPECT_TRUE(links.first().startsWith(u"blog_" + QString::number(blog.uid, 16)));

    // A category of more than 50 articles spreads over pages of 50, headed by its name.
    SampleOptions one = Typical();
    one.categoryCount = 1;
    const SampleBlog single = GenerateSampleBlog(one);
    const auto singlePages = SamplePages(single);
    const SampleCategory& category = single.categories.first();
    ASSERT_EQ(CategoryCount(single, category), 110);
    const QString first = Page(singlePages, CategoryPageAddress(single, category, 1));
    EXPECT_EQ(Matches(items, first).size(), 50);
    EXPECT_EQ(Matches(items, Page(singlePages, CategoryPageAddress(single, category, 3))).size(),
              10);
    EXPECT_FALSE(singlePages.contains(CategoryPageAddress(single, category, 4)));
    EXPECT_EQ(Between(Matches(heads, first).join(QString()), QStringLiteral("<span comp_title=\""),
                      QStringLiteral("<em>")),
              category.name);
    // Uncategorised articles (the oldest) appear on no category page.
    EXPECT_FALSE(first.contains(single.articles.last().link) ||
                 Page(singlePages, CategoryPageAddress(single, category, 3))
                     .contains(single.articles.last().link));
}

TEST(SampleBlog, VariantsServeTheServiceOddities) {
    const SampleBlog blog = GenerateSampleBlog(Typical());
    CategoryListings listings;
    const QString duplicated = test::ListTwice(blog, listings);
    const SampleArticle& twice = blog.articles[1];
    const QString second = test::ListInSecondCategory(blog, 1, listings);
    LoopbackServer server;
    ServeSampleBlog(blog, server, listings);
    test::ServeGonePage(blog, blog.articles[2], server);
    test::ServeEmptyPage(blog.articles[3], server);
    auto page = [&server](const QString& address) {
        return QString::fromUtf8(server.Page(address).value_or(LoopbackServer::Response{}).body);
    };

    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(second, twice.category);
    int listed = 0;
    const QString menu = page(FirstPageAddress(blog));
    for (const SampleCategory& category : blog.categories) {
        const QString count =
            Between(menu.mid(menu.indexOf(u'>' + EscapeHtml(category.name) + u'<')),
                    QStringLiteral("<em>("), QStringLiteral(")</em>"));
        listed += count.toInt();
        if (category.name == second) {
            EXPECT_TRUE(page(CategoryPageAddress(blog, category, 1)).contains(twice.link));
        }
    }
    EXPECT_EQ(listed, 120 - 10 + 1) << "one article counts in two categories";

    ASSERT_FALSE(duplicated.isEmpty());
    const QString first = page(CategoryPageAddress(blog, blog.categories.first(), 1));
    EXPECT_EQ(first.count(kSinaPrefix + duplicated + u'"'), 2);

    const SiteProfile* sina = Profile(kSina);
    const QString gone = page(ArticlePageAddress(blog.articles[2]));
    EXPECT_TRUE(gone.contains(sina->GoneMarkerA));
    EXPECT_TRUE(gone.contains(sina->GoneMarkerC));
    EXPECT_FALSE(gone.contains(sina->BodyEnd));

    const auto empty = server.Page(ArticlePageAddress(blog.articles[3]));
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->status, 200);
    EXPECT_TRUE(empty->body.isEmpty());
}

TEST(SampleBlog, FavouritesPagesMatchTheFavouritesPatterns) {
    const SampleBlog blog = GenerateSampleBlog(Typical());
    const auto pages = SamplePages(blog);
    const QString text = Page(pages, FavouritesPageAddress(blog, 1));
    EXPECT_TRUE(text.contains(QStringLiteral("<strong>博文收藏</strong><em>(")));

    const QStringList titles =
        Matches(QStringLiteral("class=#text#><a title=#.*# target=#_blank"), text);
    const QStringList times = Matches(QStringLiteral("class=#time SG_txtc#>.*</div></li>"), text);
    const QStringList links =
        Matches(QStringLiteral("http://blog.sina.com.cn/s/blog_.*.html#>"), text);
    ASSERT_EQ(links.size(), 3);
    ASSERT_EQ(titles.size(), 3);
    ASSERT_EQ(times.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const SampleArticle& favourite = blog.favourites[i];
        EXPECT_EQ(Between(links[i], kSinaPrefix, QStringLiteral("\">")), favourite.link);
        EXPECT_EQ(Between(titles[i], QStringLiteral("<a title=\""), QStringLiteral("\" target=")),
                  favourite.title);
        EXPECT_EQ(
            Between(times[i], QStringLiteral("time SG_txtc\">"), QStringLiteral("</div></li>")),
            favourite.date);
        EXPECT_TRUE(favourite.date.startsWith(u'(') && favourite.date.endsWith(u')'));
        EXPECT_TRUE(pages.contains(ArticlePageAddress(favourite)));
    }
    // The address the reader derives from the task address ("..._0" + k) is served too.
    const QString derived = kSinaPrefix + u"favourites_" + QString::number(blog.uid) + u"_01.html";
    EXPECT_EQ(pages.value(derived).body, pages.value(FavouritesPageAddress(blog, 1)).body);
}

TEST(SampleBlog, ArticlePagesCarryTheBodyAndLazyPictures) {
    const SampleBlog blog = GenerateSampleBlog(Typical());
    const auto pages = SamplePages(blog);
    const SiteProfile* sina = Profile(kSina);
    const QString placeholder = u"src=\"http://" + QString::fromLatin1(hosts::kSinaStatic) +
                                u"/blog7style/images/common/sg_trans.gif\" ";
    QSet<QByteArray> pictureBytes;
    int pictures = 0;
    for (const SampleArticle& article : blog.articles) {
        const QString text = Page(pages, ArticlePageAddress(article));
        const qsizetype start = text.indexOf(sina->BodyStart);
        const qsizetype end = text.indexOf(sina->BodyEnd);
        ASSERT_GT(start, 0);
        ASSERT_GT(end, start);
        QString body = text.mid(start, end - start);
        EXPECT_TRUE(body.contains(article.body));
        EXPECT_TRUE(text.contains(u"<title>" + article.title + u"_"));
        ASSERT_EQ(article.pictures.size(), 2);
        for (const QString& address : article.pictures) {
            EXPECT_TRUE(address.startsWith(u"http://s") && address.contains(u".sinaimg.cn/"));
            EXPECT_TRUE(body.contains(placeholder + u"real_src=\"" + address + u'"') ||
                        body.contains(placeholder + u"real_src =\"" + address + u'"'));
            const auto image = pages.value(address);
            EXPECT_EQ(image.contentType, "image/bmp");
            EXPECT_TRUE(image.body.startsWith("BM"));
            pictureBytes.insert(image.body);
            ++pictures;
        }
        // What the picture localisation makes of it: one real src per picture.
        body.remove(placeholder.trimmed());
        body.replace(QStringLiteral("real_src"), QStringLiteral("src"));
        body.replace(QStringLiteral(" src ="), QStringLiteral(" src="));
        EXPECT_EQ(body.count(QStringLiteral(" src=\"http://s")), 2);
    }
    EXPECT_EQ(pictureBytes.size(), pictures) << "every picture has bytes of its own";
}

TEST(SampleBlog, SameOptionsGiveTheSameBytes) {
    const auto once = SamplePages(GenerateSampleBlog(Typical()));
    const auto again = SamplePages(GenerateSampleBlog(Typical()));
    ASSERT_EQ(once.keys(), again.keys());
    for (auto it = once.cbegin(); it != once.cend(); ++it)
        ASSERT_EQ(it->body, again.value(it.key()).body) << qPrintable(it.key());

    SampleOptions other = Typical();
    other.seed = 8;
    const SampleBlog changed = GenerateSampleBlog(other);
    EXPECT_NE(changed.uid, GenerateSampleBlog(Typical()).uid);
    other.uid = 1088730470;
    const SampleBlog fixed = GenerateSampleBlog(other);
    EXPECT_EQ(FirstPageAddress(fixed),
              QStringLiteral("http://blog.sina.com.cn/s/articlelist_1088730470_0_1.html"));
    EXPECT_TRUE(fixed.articles.first().id.startsWith(QStringLiteral("40e4b5660100")));
    for (const QString& address : SamplePages(fixed).keys())
        EXPECT_TRUE(address.startsWith(kSinaPrefix) || address.contains(u".sinaimg.cn/middle/"))
            << qPrintable(address);
}

TEST(SampleBlog, ServedThroughTheLoopbackProxy) {
    const SampleBlog blog = GenerateSampleBlog(Typical());
    test::FixtureServer server;
    ASSERT_TRUE(server.Start());
    ServeSampleBlog(blog, server);
    test::ScopedProxyEnv proxy(server);
    Network network;
    HttpClient client(network);
    const auto pages = SamplePages(blog);

    for (const QString& address :
         {FirstPageAddress(blog), blog.articles.first().pictures.first()}) {
        client.Open(QStringLiteral("GET"), address, true);
        client.Send();
        test::RunTask([](HttpClient& c) -> QCoro::Task<> { co_await c.Completion(); }(client),
                      5000);
        EXPECT_EQ(client.Status(), 200);
        EXPECT_EQ(client.ResponseBody(), pages.value(address).body) << qPrintable(address);
    }
}

} // namespace
