// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/textfunctions.h"
#include "platform/textstream.h"
#include "services/service.h"
#include "services/sinareader.h"
#include "support/runtask.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pellomar {
namespace {

const QString kHost = QStringLiteral("http://blog.sina.com.cn/s/");
const QString kFirstPage = kHost + u"articlelist_1234_0_1.html";

struct MenuCategory {
    int id;
    QString name;
    int count;
};

enum class Shape { Real, Clean };

// The category menu line as the service writes it: the current "全部博文" entry, then one
// entry per category. Real: the current entry ends in "</div> </li>".
QString MenuLine(Shape shape, int all, const QList<MenuCategory>& categories) {
    QString line = u"\t\t\t\t<ul><li class=\"current\"><div class=\"menuCell_main\"><span "
                   u"class=\"SG_dot\"><strong>全部博文</strong><em>(" +
                   QString::number(all) + u")</em></span></div>";
    line += shape == Shape::Real ? u"         <div class=\"menuCell_bot\"></div> </li>"
                                 : u" <div class=\"menuCell_bot\"></div></li>";
    for (const MenuCategory& category : categories)
        line += u"<li  ><div class=\"menuCell_main\"><span class=\"SG_dot\"><a href=\"" + kHost +
                u"articlelist_1234_" + QString::number(category.id) + u"_1.html\"  >" +
                category.name + u"</a><em>(" + QString::number(category.count) +
                u")</em></span></div> <div class=\"menuCell_bot\"></div></li>";
    return line + u"</ul>  ";
}

QString FavouritesLine(int count) {
    return u"\t\t\t<li ><div class=\"menuCell_main\"><span class=\"SG_dot\"><a href=\"" + kHost +
           u"favourites_1234_1.html\"  >博文收藏</a><em>(" + QString::number(count) +
           u")</em></span></div> <div class=\"menuCell_bot\"></div></li>\t\t\t  ";
}

QString HeadingLine(const QString& name, int count) {
    const QString shown = name + u"<em>(" + QString::number(count) + u")</em>";
    return u"            <span comp_title=\"" + shown + u"\" class=\"title\">" + shown + u"</span>";
}

QString FirstPage(Shape shape, const QList<MenuCategory>& categories, int favourites, int all) {
    return QStringList{QStringLiteral("<html><body>"),
                       MenuLine(shape, all, categories),
                       QStringLiteral("<div class=\"SG_j_line\"></div>"),
                       FavouritesLine(favourites),
                       QStringLiteral("</ul>"),
                       HeadingLine(QStringLiteral("全部博文"), all),
                       QStringLiteral("</body></html>")}
        .join(u'\n');
}

struct Entry {
    QString title;
    QString link;
    QString date;
};

QString ListPage(const QString& heading, int count, const QList<Entry>& entries) {
    QStringList lines{HeadingLine(heading, count)};
    for (const Entry& entry : entries) {
        lines << QStringLiteral("<span class=\"atc_title\">");
        lines << u"<a title=\"" + entry.title + u"\" target=\"_blank\" href=\"" + kHost +
                     entry.link + u"\">" + entry.title + u"</a></span> ";
        lines << u"<span class=\"atc_tm SG_txtc\">" + entry.date + u"</span>";
    }
    return lines.join(u'\n');
}

QString FavouritesPage(const QList<Entry>& entries) {
    QStringList lines{u"<strong>博文收藏</strong><em>(" + QString::number(entries.size()) +
                      u")</em>"};
    for (const Entry& entry : entries) {
        lines << u"<div class=\"text\"><a title=\"" + entry.title +
                     u"\" target=\"_blank\" href=\"" + kHost + entry.link + u"\">" + entry.title +
                     u"</a></div>";
        lines << u"<div class=\"time SG_txtc\">" + entry.date + u"</div></li>";
    }
    return lines.join(u'\n');
}

class SinaReaderTest : public ::testing::Test {
  protected:
    SinaReaderTest() : state(folder.path()) { state.blogAddress = kFirstPage; }

    QStringList Queue() { return state.statusLog().Lines(); }
    QStringList Row(int row) {
        QStringList cells;
        for (int column = ArticleTable::Title; column <= ArticleTable::Ordinal; ++column)
            cells << state.table().Cell(row, column);
        return cells;
    }

    QTemporaryDir folder;
    AppState state;
};

TEST_F(SinaReaderTest, QueuesCategoryThenFavouritesThenAllArticlePagesInPageOrder) {
    const QStringList expected = {
        kHost + u"articlelist_1234_1_1.html", kHost + u"articlelist_1234_2_1.html",
        kHost + u"articlelist_1234_2_2.html", kHost + u"articlelist_1234_2_3.html",
        kHost + u"articlelist_1234_0_1.html", kHost + u"articlelist_1234_0_2.html",
        kHost + u"articlelist_1234_0_3.html"};
    const QList<MenuCategory> categories = {{1, QStringLiteral("读书"), 3},
                                            {2, QStringLiteral("旅行"), 120}};
    for (Shape shape : {Shape::Clean, Shape::Real}) {
        state.statusLog().Clear();
        ReadSinaCounts(state, FirstPage(shape, categories, 0, 123));
        EXPECT_EQ(Queue(), expected) << (shape == Shape::Real ? "real menu" : "clean menu");
    }
}

TEST_F(SinaReaderTest, NoCategoryOutgrowsTheBlogAndNoListIsQueuedTwice) {
    const QList<MenuCategory> claims = {{1, QStringLiteral("甲"), 32767},
                                        {1, QStringLiteral("甲"), 32767},
                                        {2, QStringLiteral("乙"), 60}};
    const QString heading = HeadingLine(QStringLiteral("全部博文"), 60);
    ReadSinaCounts(state,
                   FirstPage(Shape::Real, claims, 0, 60) + u'\n' + heading + u'\n' + heading);
    EXPECT_EQ(
        Queue(),
        (QStringList{kHost + u"articlelist_1234_1_1.html", kHost + u"articlelist_1234_1_2.html",
                     kHost + u"articlelist_1234_2_1.html", kHost + u"articlelist_1234_2_2.html",
                     kHost + u"articlelist_1234_0_1.html", kHost + u"articlelist_1234_0_2.html"}));
}

TEST_F(SinaReaderTest, EveryCategoryOfTheMenuIsQueuedOnceAndTheAllArticlesEntryNever) {
    const QList<MenuCategory> categories = {
        {7, QStringLiteral("一"), 1}, {3, QStringLiteral("二"), 0}, {5, QStringLiteral("三"), 51}};
    for (Shape shape : {Shape::Clean, Shape::Real}) {
        state.statusLog().Clear();
        // No heading line: only the menu counts.
        ReadSinaCounts(state, MenuLine(shape, 52, categories));
        EXPECT_EQ(Queue(), (QStringList{kHost + u"articlelist_1234_7_1.html",
                                        kHost + u"articlelist_1234_5_1.html",
                                        kHost + u"articlelist_1234_5_2.html"}));
    }
}

TEST_F(SinaReaderTest, FavouritePagesFollowTheShortenedFavouritesAddress) {
    ReadSinaCounts(state, FavouritesLine(60));
    EXPECT_EQ(Queue(), (QStringList{kHost + u"favourites_1234_01.html",
                                    kHost + u"favourites_1234_02.html"}));
}

TEST_F(SinaReaderTest, UnreadableCountsQueueNothingAndTheOtherTestsStillRun) {
    QString menu = MenuLine(Shape::Clean, 9, {{1, QStringLiteral("甲"), 4}});
    menu.replace(QStringLiteral("(4)"), QStringLiteral("(四)"));
    ReadSinaCounts(state,
                   menu + u'\n' +
                       FavouritesLine(0).replace(QStringLiteral("(0)"), QStringLiteral("(x)")) +
                       u'\n' + HeadingLine(QStringLiteral("全部博文"), 9));
    EXPECT_EQ(Queue(), QStringList{kFirstPage});
}

TEST_F(SinaReaderTest, RealFirstPageQueuesItsOnlyCategoryBeforeTheTenAllArticlePages) {
    QFile file(QStringLiteral(PELLOMAR_REAL_PAGES "/sina/articlelist_1253924794_0_1.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    state.blogAddress = kHost + u"articlelist_1253924794_0_1.html";
    ReadSinaCounts(state, DecodeBytes(file.readAll(), QStringLiteral("UTF-8")));
    const QStringList queue = Queue();
    ASSERT_EQ(queue.size(), 1 + 10);
    EXPECT_EQ(queue[0], kHost + u"articlelist_1253924794_1_1.html");
    EXPECT_EQ(queue[1], kHost + u"articlelist_1253924794_0_1.html");
    EXPECT_EQ(queue[10], kHost + u"articlelist_1253924794_0_10.html");
}

TEST_F(SinaReaderTest, RealListPageReadsItsElevenArticlesWithTitlesAndDates) {
    QFile file(
        QStringLiteral(PELLOMAR_REAL_PAGES "/sina/articlelist_1088730470_0_3-lastpage.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = DecodeBytes(file.readAll(), QStringLiteral("UTF-8"));

    state.blogAddress = kHost + u"articlelist_1088730470_0_1.html";
    ReadSinaCounts(state, text);
    // Thirteen categories, the empty one queues nothing; then 111 articles on 3 pages.
    const QStringList queue = Queue();
    ASSERT_EQ(queue.size(), 12 + 3);
    EXPECT_EQ(queue[0], kHost + u"articlelist_1088730470_3_1.html");
    EXPECT_EQ(queue[11], kHost + u"articlelist_1088730470_13_1.html");

    ReadSinaListPage(state, DecodeCharRefs(text));
    ASSERT_EQ(state.table().ArticleCount(), 11);
    EXPECT_EQ(Row(1),
              (QStringList{QStringLiteral("[转载]在Linux_ndash_Ubuntu环境下Apache以FastCG"),
                           QStringLiteral("全部博文"), QStringLiteral("blog_40e4b5660100sser.html"),
                           QStringLiteral("2011-08-02 19:16"), QStringLiteral("1")}));
    EXPECT_EQ(Row(11)[4], QStringLiteral("11"));
}

TEST_F(SinaReaderTest, CategoryPagesAddEveryRowAndAllArticlePagesOnlyUnseenOnes) {
    const Entry a{QStringLiteral("第一 篇"), QStringLiteral("blog_a.html"),
                  QStringLiteral("2011-08-21 10:20")};
    const Entry b{QStringLiteral("第二篇"), QStringLiteral("blog_b.html"),
                  QStringLiteral("2011-08-20 09:00")};
    const Entry c{QStringLiteral("第三篇"), QStringLiteral("blog_c.html"),
                  QStringLiteral("2011-08-19 08:00")};
    // The same link twice on a category page gives two rows.
    ReadSinaListPage(state, ListPage(QStringLiteral("读书"), 2, {a, a, b}));
    ReadSinaListPage(state, ListPage(QStringLiteral("全部博文"), 3, {a, b, c}));

    ASSERT_EQ(state.table().ArticleCount(), 4);
    EXPECT_EQ(Row(1), (QStringList{QStringLiteral("第一_篇"), QStringLiteral("读书"), a.link,
                                   a.date, QStringLiteral("1")}));
    EXPECT_EQ(Row(2), (QStringList{QStringLiteral("第一_篇"), QStringLiteral("读书"), a.link,
                                   a.date, QStringLiteral("2")}));
    EXPECT_EQ(Row(3)[1], QStringLiteral("读书"));
    EXPECT_EQ(Row(4), (QStringList{c.title, QStringLiteral("全部博文"), c.link, c.date,
                                   QStringLiteral("1")}));
    EXPECT_EQ(state.seenLinks, (QSet<QString>{a.link, b.link, c.link}));
}

TEST_F(SinaReaderTest, FavouritesAreNeverFiltered) {
    const Entry seen{QStringLiteral("收藏的"), QStringLiteral("blog_f.html"),
                     QStringLiteral("(2011-08-20 22:05)")};
    state.seenLinks = {QStringLiteral("blog_f.html")};
    ReadSinaListPage(state, FavouritesPage({seen, seen}));
    ASSERT_EQ(state.table().ArticleCount(), 2);
    EXPECT_EQ(Row(2), (QStringList{seen.title, QStringLiteral("博文收藏"), seen.link, seen.date,
                                   QStringLiteral("2")}));
}

TEST_F(SinaReaderTest, MissingPiecesAreStoredInTheirNotFoundForm) {
    // Two articles but one time: the second pairs with nothing. No heading at all.
    QString page = ListPage(
        QStringLiteral("x"), 1,
        {{QStringLiteral("甲"), QStringLiteral("blog_1.html"), QStringLiteral("2011-01-01 00:00")},
         {QStringLiteral("乙"), QStringLiteral("blog_2.html"),
          QStringLiteral("2011-01-02 00:00")}});
    page.remove(page.indexOf(u"<span comp_title"), page.indexOf(u'\n') + 1);
    page.remove(page.lastIndexOf(u"<span class=\"atc_tm"), page.size());
    ReadSinaListPage(state, page);
    ASSERT_EQ(state.table().ArticleCount(), 2);
    EXPECT_EQ(Row(1)[1], kNotFoundPrefix);
    EXPECT_EQ(Row(1)[3], QStringLiteral("2011-01-01 00:00"));
    EXPECT_EQ(Row(2)[3], kNotFoundPrefix);
    EXPECT_EQ(Row(2)[2], QStringLiteral("blog_2.html"));
}

TEST_F(SinaReaderTest, RefusedRowsBecomeStatusLinesAndReadingGoesOn) {
    // 502 categories of one article each: only the last is refused.
    for (int i = 0; i < 502; ++i)
        ReadSinaListPage(state,
                         ListPage(u"类" + QString::number(i), 1,
                                  {{QStringLiteral("t"), u"blog_" + QString::number(i) + u".html",
                                    QStringLiteral("d")}}));
    EXPECT_EQ(state.table().ArticleCount(), 501);
    ASSERT_EQ(state.statusLog().Count(), 1);
    EXPECT_TRUE(state.statusLog().Line(0).contains(u"类501"));
}

// The saved 2018 list page leaves every title attribute empty; today's pages also write
// the service's addresses protocol-relative or with https. All three read alike.
TEST_F(SinaReaderTest, RealListPageReadsAlikeInEveryAddressFormWithTitlesFromTheLinks) {
    QFile file(QStringLiteral(PELLOMAR_REAL_PAGES "/sina/articlelist_1253924794_0_1.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    state.blogAddress = kHost + u"articlelist_1253924794_0_1.html";
    QList<QStringList> results;
    for (const char* form : {"http://", "//", "https://"}) {
        const QByteArray page = QByteArray(saved).replace(
            "http://blog.sina.com.cn", QByteArray(QByteArray(form) + "blog.sina.com.cn"));
        state.statusLog().Clear();
        state.table().Reset();
        SinaReader reader;
        reader.ReadFirstPage(state, page);
        test::RunTask(reader.ReadListPage(state, page));
        QStringList result = Queue();
        for (int row = 1; row <= state.table().ArticleCount(); ++row)
            result << Row(row).join(u'|');
        results << result;
    }
    ASSERT_EQ(results[0].size(), 11 + 50);
    EXPECT_EQ(results[1], results[0]);
    EXPECT_EQ(results[2], results[0]);
    EXPECT_EQ(Row(1)[0], u"洗心革面，重新做人");
    EXPECT_EQ(Row(1)[2], u"blog_4abd5fba01017i5v.html");
    EXPECT_TRUE(Row(2)[0].endsWith(u"…")) << Row(2)[0].toStdString();
}

TEST(SinaArticle, RealPageGivesItsHeadingAndFullSizePictureAddresses) {
    QFile file(QStringLiteral(PELLOMAR_REAL_PAGES "/sina/blog_3d55a9b70100nyl8.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = DecodeBytes(file.readAll(), QStringLiteral("UTF-8"));
    const Service& sina = *FindService(kSina);
    EXPECT_EQ(sina.pageTitle(page),
              u"【已解决】打开word文档出错&nbsp;/&nbsp;如何修复损坏的word文档");
    // The page links each picture's full size as the service names it.
    EXPECT_TRUE(page.contains(u"url=http://s14.sinaimg.cn/orignal/3d55a9b7g9522d474a84d\""));
    const QList<std::pair<QString, QString>> pictures = {
        {u"http://s14.sinaimg.cn/middle/3d55a9b7g9522d474a84d&amp;690"_qs,
         u"http://s14.sinaimg.cn/orignal/3d55a9b7g9522d474a84d"_qs},
        {u"http://ww3.sinaimg.cn/mw690/5a3cb361jw1dr67h5sn39j.jpg"_qs,
         u"http://ww3.sinaimg.cn/orignal/5a3cb361jw1dr67h5sn39j.jpg"_qs},
        {u"http://ww4.sinaimg.cn/square/3f8e800ejw1dratj3xaiaj.jpg"_qs, QString()},
        {u"http://portrait8.sinaimg.cn/1029024183/blog/180"_qs, QString()},
    };
    for (const auto& [listed, original] : pictures)
        EXPECT_EQ(sina.originalPicture(listed), original) << listed.toStdString();
    // Every form of the service's addresses reads as the http form; others stay.
    EXPECT_EQ(SameAddresses(
                  kSina, u"<a href=\"//blog.sina.com.cn/s/x\"><img src=\"HTTPS://s1.sinaimg.cn/a\">"
                         u" //evil.cn/blog.sina.com.cn https://blog.sina.com.cn.evil.cn/"_qs),
              u"<a href=\"http://blog.sina.com.cn/s/x\"><img src=\"http://s1.sinaimg.cn/a\">"
              u" //evil.cn/blog.sina.com.cn https://blog.sina.com.cn.evil.cn/"_qs);
}

} // namespace
} // namespace pellomar
