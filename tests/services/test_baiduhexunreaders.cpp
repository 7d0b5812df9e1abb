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

const QString kAccount = QStringLiteral("lanting");

class ReaderTest : public ::testing::Test {
  protected:
    ReaderTest() : state(folder.path()) { state.taskName = kAccount; }

    QStringList Queue() { return state.statusLog().Lines(); }
    QList<QStringList> Rows() {
        QList<QStringList> rows;
        for (int row = 1; row <= state.table().ArticleCount(); ++row) {
            rows << QStringList();
            for (int column = ArticleTable::Title; column <= ArticleTable::Ordinal; ++column)
                rows.last() << state.table().Cell(row, column);
        }
        return rows;
    }

    QTemporaryDir folder;
    AppState state;
};

QStringList Addresses(const QString& pattern, int first, int last) {
    QStringList addresses;
    for (int page = first; page <= last; ++page)
        addresses << pattern.arg(page);
    return addresses;
}

// Baidu list pages are read as lines split at line feed + tab.
QByteArray BaiduPage(const QStringList& lines) {
    return EncodeCp936(lines.join(QStringLiteral("\n\t")));
}

QString Link(int i) {
    return QStringLiteral("%1.html").arg(i, 24, 10, QLatin1Char('0'));
}

QString Marker(int i) {
    return test::BaiduArticleLines(kAccount, {{}, {}, Link(i), {}, {}}).first();
}

using BaiduReaderTest = ReaderTest;

TEST_F(BaiduReaderTest, QueuesPageZeroUpToTheHighestPagingLinkThatIsANumber) {
    ReadBaiduPageCount(state, EncodeCp936(test::BaiduPagingLine(kAccount, 4) +
                                          u" <a href=\"/lanting/blog/index/x9\">x</a> <a "
                                          u"href=\"/lanting/blog/index/99999\">大</a> index/7"));
    EXPECT_EQ(Queue(),
              Addresses(QStringLiteral("http://hi.baidu.com/lanting/blog/index/%1"), 0, 4));

    state.statusLog().Clear();
    ReadBaiduPageCount(state, BaiduPage({Marker(0)}));
    EXPECT_EQ(Queue(), QStringList{QStringLiteral("http://hi.baidu.com/lanting/blog/index/0")});
}

// The title, category and date searches each run on from their own article's line (the date
// two lines on) and may pass later articles: the first two articles share a title and a
// category, but not a date; the third article's title is on its marker line.
TEST_F(BaiduReaderTest, EachSearchRunsOnFromItsOwnArticlesLine) {
    const QString date = QStringLiteral("<div class=\"date\">%1</div>");
    const QString category = QStringLiteral("<div class=\"opt\">类别：%1</div>");
    ReadBaiduListPage(state,
                      BaiduPage({Marker(0), Marker(1), date.arg(u"一"), u"甲</a></div>"_qs,
                                 date.arg(u"二"), category.arg(u"丙"), Marker(2) + u"乙</a></div>",
                                 category.arg(u"丁"), date.arg(u"三")}));
    EXPECT_EQ(Rows(),
              (QList<QStringList>{{u"甲"_qs, u"丙"_qs, Link(0), u"一"_qs, u"1"_qs},
                                  {u"甲"_qs, u"丙"_qs, Link(1), u"二"_qs, u"2"_qs},
                                  {Marker(2) + u"乙", u"丁"_qs, Link(2), u"三"_qs, u"1"_qs}}));
}

TEST_F(BaiduReaderTest, ARowIsAddedEvenWhenItsCellsCannotBeCut) {
    // A short link runs into the markup; the date line is too short to cut; the title and
    // the category are never found.
    const QString shortLink = QString(Marker(1)).replace(Link(1), u"short.html"_qs);
    ReadBaiduListPage(state,
                      BaiduPage({shortLink, Marker(0), u"x"_qs, u"<div class=x>y</div>"_qs}));
    EXPECT_EQ(Rows(), (QList<QStringList>{
                          {kNotFoundPrefix, kNotFoundPrefix, kNotFoundPrefix + shortLink,
                           kNotFoundPrefix, u"1"_qs},
                          {kNotFoundPrefix, kNotFoundPrefix, Link(0), kNotFoundPrefix, u"2"_qs}}));
}

TEST_F(BaiduReaderTest, AHugePageIsReadInLinearTime) {
    // Searched from each article's line to the end, these take a minute; read once, a blink.
    QStringList lines;
    for (int i = 0; i < 30000; ++i)
        lines << Marker(i);
    const QByteArray page = BaiduPage(lines);
    const QByteArray flat = QByteArray(4'000'000, 'x') + BaiduPage({Marker(0)});
    ASSERT_GT(page.size(), 2'000'000);

    const double before = test::CpuSeconds();
    ReadBaiduListPage(state, page);
    ReadBaiduListPage(state, flat);
    ReadBaiduPageCount(state, page);
    EXPECT_LT(test::CpuSeconds() - before, 3.0);
    EXPECT_EQ(state.table().ArticleCount(), 30001);
}

using HexunReaderTest = ReaderTest;

TEST_F(HexunReaderTest, QueuesPageOneUpToTheHighestPagingLink) {
    // The last link has no page number.
    const QString bar = test::HexunPagingBar(kAccount, 1, {2, 3, 7})
                            .replace(u"<span class='PageSkip_2'>"_qs,
                                     u"<a href='#'>下一页</a><span class='PageSkip_2'>"_qs);
    ReadHexunPageCount(state, test::HexunListPage({}, bar));
    EXPECT_EQ(Queue(),
              Addresses(QStringLiteral("http://lanting.blog.hexun.com/p%1/default.aspx"), 1, 7));
}

TEST_F(HexunReaderTest, AnItemWithoutALinkIsStillAddedAndMissingCellsAreMarked) {
    const test::FixtureBlog blog = test::HexunBlog(kAccount, 2);
    const QString page = test::HexunListPage(
        {test::HexunItem(kAccount, blog.articles[0]).replace(u"blog.hexun.com/"_qs, u"x/"_qs),
         test::HexunItem(kAccount, blog.articles[1]).remove(u"&nbsp;"_qs)},
        {});
    ReadHexunListPage(state, EncodeCp936(page));
    ASSERT_EQ(state.table().ArticleCount(), 2);
    EXPECT_EQ(Rows()[0][0], blog.articles[0].title);
    EXPECT_TRUE(Rows()[0][2].startsWith(kNotFoundPrefix));
    EXPECT_EQ(Rows()[1][0], blog.articles[1].title);
    EXPECT_TRUE(Rows()[1][3].startsWith(kNotFoundPrefix + u"<div class='ArticleBlock'>"));

    // Without the list's start comment nothing is read.
    ReadHexunListPage(state, EncodeCp936(QString(page).remove(u"文章列表:开始"_qs)));
    EXPECT_EQ(state.table().ArticleCount(), 2);
}

} // namespace
} // namespace pellomar
