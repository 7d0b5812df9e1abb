// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/textfunctions.h"
#include "platform/textstream.h"
#include "services/baidureader.h"
#include "services/hexunreader.h"
#include "support/baiduhexunblogs.h"
#include "support/processclock.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pellomar {
namespace {

using test::BlogArticle;

const QString kAccount = QStringLiteral("lanting");
const QString kNotFound = kNotFoundPrefix;
// A page of this many lines or items takes minutes when each article searches from its own
// line to the end, and milliseconds when every line is read once.
constexpr int kHugeCount = 30000;

class ReaderTest : public ::testing::Test {
  protected:
    ReaderTest() : state(folder.path()) { state.taskName = kAccount; }

    QStringList Queue() { return state.statusLog().Lines(); }
    QList<QStringList> Rows() {
        QList<QStringList> rows;
        for (int row = 1; row <= state.table().ArticleCount(); ++row) {
            QStringList cells;
            for (int column = ArticleTable::Title; column <= ArticleTable::Ordinal; ++column)
                cells << state.table().Cell(row, column);
            rows << cells;
        }
        return rows;
    }
    BlogArticle Article(int i) const { return blog.articles[i]; }

    QTemporaryDir folder;
    AppState state;
    test::FixtureBlog blog = test::BaiduBlog(kAccount, 6);
};

using BaiduReaderTest = ReaderTest;

QString BaiduPage(const QStringList& lines) {
    return lines.join(QStringLiteral("\n\t"));
}

QString BaiduMarker(const QString& link) {
    return test::BaiduArticleLines(kAccount, {{}, {}, link, {}, {}})[0];
}

QString BaiduIndex(int page) {
    return u"http://hi.baidu.com/lanting/blog/index/" + QString::number(page);
}

TEST_F(BaiduReaderTest, QueuesPageZeroUpToTheHighestPagingLink) {
    ReadBaiduPageCount(state, EncodeCp936(test::BaiduListPage(kAccount, {Article(0)}, 4)));
    EXPECT_EQ(Queue(), (QStringList{BaiduIndex(0), BaiduIndex(1), BaiduIndex(2), BaiduIndex(3),
                                    BaiduIndex(4)}));

    state.statusLog().Clear();
    ReadBaiduPageCount(state, EncodeCp936(test::BaiduListPage(kAccount, {Article(0)}, 0)));
    EXPECT_EQ(Queue(), QStringList{BaiduIndex(0)});
}

TEST_F(BaiduReaderTest, PagingNumbersThatCannotBeReadQueueNothing) {
    QString line = test::BaiduPagingLine(kAccount, 2);
    line.replace(QStringLiteral("[尾页]</a>"),
                 QStringLiteral("[尾页]</a> <a href=\"/lanting/blog/index/x9\">x</a> "
                                "<a href=\"/lanting/blog/index/99999\">大</a>"));
    line += QStringLiteral(" index/7");
    ReadBaiduPageCount(state, EncodeCp936(line));
    EXPECT_EQ(Queue(), (QStringList{BaiduIndex(0), BaiduIndex(1), BaiduIndex(2)}));
}

TEST_F(BaiduReaderTest, ReadsEveryArticleOfAListPageInCodePage936) {
    const QList<BlogArticle> articles = blog.articles.mid(0, 4);
    ReadBaiduListPage(state, EncodeCp936(test::BaiduListPage(kAccount, articles, 3)));
    blog.articles = articles;
    EXPECT_EQ(Rows(), test::ExpectedRows(blog));
    EXPECT_TRUE(Rows()[0][0].contains(u"镕")) << "GBK characters outside GB2312 survive";
    EXPECT_EQ(Rows()[3][4], QStringLiteral("2")) << "numbered within its category";
}

TEST_F(BaiduReaderTest, ATitleOnTheMarkerLineKeepsTheMarkersMarkup) {
    const QString marker = BaiduMarker(Article(0).link);
    ReadBaiduListPage(
        state, EncodeCp936(BaiduPage({marker + u"标题</a></div>", QStringLiteral("x"),
                                      QStringLiteral("<div class=\"date\">2011-01-01 00:00</div>"),
                                      QStringLiteral("<div class=\"opt\">类别：生活</div>")})));
    ASSERT_EQ(state.table().ArticleCount(), 1);
    EXPECT_EQ(Rows()[0][0], marker + u"标题");
    EXPECT_EQ(Rows()[0][1], QStringLiteral("生活"));
}

TEST_F(BaiduReaderTest, TheDateSearchStartsTwoLinesAfterTheMarker) {
    ReadBaiduListPage(
        state, EncodeCp936(BaiduPage({BaiduMarker(Article(0).link),
                                      QStringLiteral("<div class=\"date\">2011-01-01 00:00</div>"),
                                      QStringLiteral("题</a></div>"),
                                      QStringLiteral("<div class=\"date\">2011-02-02 00:00</div>"),
                                      QStringLiteral("<div class=\"opt\">类别：生活</div>")})));
    ASSERT_EQ(state.table().ArticleCount(), 1);
    EXPECT_EQ(Rows()[0][3], QStringLiteral("2011-02-02 00:00"));
}

// Each search goes on from its own article's line and may pass later articles; one article's
// find serves the next only while it lies at or after the next one's start.
TEST_F(BaiduReaderTest, SearchesPassLaterArticlesAndEachStartsFromItsOwnLine) {
    const QString date = QStringLiteral("<div class=\"date\">%1</div>");
    ReadBaiduListPage(state,
                      EncodeCp936(BaiduPage(
                          {BaiduMarker(Article(0).link), BaiduMarker(Article(1).link),
                           date.arg(u"一"), QStringLiteral("甲</a></div>"), date.arg(u"二"),
                           QStringLiteral("<div class=\"opt\">类别：丙</div>"),
                           BaiduMarker(Article(2).link), QStringLiteral("乙</a></div>"),
                           date.arg(u"三"), QStringLiteral("<div class=\"opt\">类别：丁</div>")})));
    const QString link0 = Article(0).link;
    const QString link1 = Article(1).link;
    const QString link2 = Article(2).link;
    EXPECT_EQ(Rows(), (QList<QStringList>{{QStringLiteral("甲"), QStringLiteral("丙"), link0,
                                           QStringLiteral("一"), QStringLiteral("1")},
                                          {QStringLiteral("甲"), QStringLiteral("丙"), link1,
                                           QStringLiteral("二"), QStringLiteral("2")},
                                          {QStringLiteral("乙"), QStringLiteral("丁"), link2,
                                           QStringLiteral("三"), QStringLiteral("1")}}));
}

TEST_F(BaiduReaderTest, ARowNeedsALinkButNotItsOtherCells) {
    ReadBaiduListPage(state, EncodeCp936(BaiduPage(
                                 {QStringLiteral("<div class=\"tit\"><a href=\"/lanting/blog/item/"
                                                 "short.html\" target=\"_blank\">"),
                                  BaiduMarker(Article(0).link), QStringLiteral("x"),
                                  QStringLiteral("<div class=x>y</div>")})));
    // The short link is no page name; the date line is too short to cut; the title and the
    // category are never found.
    EXPECT_EQ(Rows(), (QList<QStringList>{{kNotFound, kNotFound, Article(0).link, kNotFound,
                                           QStringLiteral("1")}}));
}

TEST_F(BaiduReaderTest, AHugePageIsReadInLinearTime) {
    // Every line an article whose title and category are never found.
    QStringList lines;
    for (int i = 0; i < kHugeCount; ++i)
        lines << BaiduMarker(QStringLiteral("%1.html").arg(i, 24, 10, QLatin1Char('0')));
    const QByteArray page = EncodeCp936(BaiduPage(lines));
    ASSERT_GT(page.size(), 2'000'000);
    const QByteArray flat = QByteArray(4'000'000, 'x') + EncodeCp936(lines[0]);

    const double before = test::CpuSeconds();
    ReadBaiduListPage(state, page);
    ReadBaiduListPage(state, flat);
    ReadBaiduPageCount(state, page);
    EXPECT_LT(test::CpuSeconds() - before, 3.0);
    EXPECT_EQ(state.table().ArticleCount(), kHugeCount + 1);
    EXPECT_EQ(Rows().back()[0], kNotFound);
}

using HexunReaderTest = ReaderTest;

QString HexunIndex(int page) {
    return u"http://lanting.blog.hexun.com/p" + QString::number(page) + u"/default.aspx";
}

TEST_F(HexunReaderTest, QueuesPageOneUpToTheHighestPagingLink) {
    blog = test::HexunBlog(kAccount, 3);
    QString bar = test::HexunPagingBar(kAccount, 1, {2, 3, 7});
    // A piece without a page link is no number.
    bar.replace(QStringLiteral("<span class='PageSkip_2'>"),
                QStringLiteral("<a href='#'>下一页</a><span class='PageSkip_2'>"));
    const QString page = test::HexunListPage({test::HexunItem(kAccount, Article(0))}, bar);
    ReadHexunPageCount(state, page);
    EXPECT_EQ(Queue(), (QStringList{HexunIndex(1), HexunIndex(2), HexunIndex(3), HexunIndex(4),
                                    HexunIndex(5), HexunIndex(6), HexunIndex(7)}));

    state.statusLog().Clear();
    ReadHexunPageCount(state, test::HexunListPage({test::HexunItem(kAccount, Article(0))}, {}));
    EXPECT_TRUE(Queue().isEmpty());
}

TEST_F(HexunReaderTest, EveryRowIsADefaultCategoryRowNumberedInListOrder) {
    blog = test::HexunBlog(kAccount, 3);
    QList<QString> items;
    for (const BlogArticle& article : blog.articles)
        items << test::HexunItem(kAccount, article);
    ReadHexunListPage(
        state, EncodeCp936(test::HexunListPage(items, test::HexunPagingBar(kAccount, 1, {2}))));
    EXPECT_EQ(Rows(), test::ExpectedRows(blog));
    EXPECT_EQ(Rows()[2][1], QStringLiteral("默认类别"));
    EXPECT_EQ(Rows()[2][4], QStringLiteral("3"));
}

TEST_F(HexunReaderTest, AnItemWithoutALinkAddsNoRowAndOtherMissingCellsAreMarked) {
    blog = test::HexunBlog(kAccount, 2);
    const QString noLink = test::HexunItem(kAccount, Article(0))
                               .replace(QStringLiteral("blog.hexun.com/"), QStringLiteral("x/"));
    const QString noDate =
        test::HexunItem(kAccount, Article(1)).replace(QStringLiteral("&nbsp;"), QString());
    const QString page = test::HexunListPage({noLink, noDate}, {});
    ReadHexunListPage(state, EncodeCp936(page));
    ASSERT_EQ(state.table().ArticleCount(), 1);
    EXPECT_EQ(Rows()[0][0], Article(1).title);
    EXPECT_TRUE(Rows()[0][3].startsWith(kNotFound + u"<div class='ArticleBlock'>"));

    // Without the list's start comment nothing is read.
    ReadHexunListPage(state, EncodeCp936(QString(page).remove(QStringLiteral("文章列表:开始"))));
    EXPECT_EQ(state.table().ArticleCount(), 1);
}

TEST_F(HexunReaderTest, AHugePageWithoutLineFeedsIsReadInLinearTime) {
    BlogArticle article = test::HexunBlog(kAccount, 1).articles[0];
    QList<QString> items;
    for (int i = 0; i < kHugeCount; ++i) {
        article.link = QString::number(i) + u"_d.html";
        items << test::HexunItem(kAccount, article);
    }
    QByteArray page = EncodeCp936(test::HexunListPage(items, {}));
    page.replace("\r\n", "");
    ASSERT_GT(page.size(), 2'000'000);

    const double before = test::CpuSeconds();
    ReadHexunListPage(state, page);
    ReadHexunPageCount(state, DecodeBytes(page, QStringLiteral("GB2312")));
    EXPECT_LT(test::CpuSeconds() - before, 3.0);
    EXPECT_EQ(state.table().ArticleCount(), kHugeCount);
}

} // namespace
} // namespace pellomar
