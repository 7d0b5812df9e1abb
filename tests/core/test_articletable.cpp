// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articletable.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {

QString S(const char16_t* text) {
    return QString::fromUtf16(text);
}

bool Add(ArticleTable& table, const QString& category, QString* error = nullptr) {
    const QString n = QString::number(table.ArticleCount() + 1);
    return table.AddArticle(u"title " + n, category, u"blog_" + n + u".html", S(u"2011-08-21"),
                            error);
}

} // namespace

TEST(ArticleTable, NumbersRowsAndArticlesWithinTheirCategory) {
    ArticleTable table;
    EXPECT_EQ(table.RowCount(), 2);
    ASSERT_TRUE(table.AddArticle(S(u"t1"), S(u"A"), S(u"l1"), S(u"d1")));
    ASSERT_TRUE(table.AddArticle(S(u"t2"), S(u"B"), S(u"l2"), S(u"d2")));
    ASSERT_TRUE(table.AddArticle(S(u"t3"), S(u"A"), S(u"l3"), S(u"d3")));
    EXPECT_EQ(table.RowCount(), 5);
    const QStringList numbers = {S(u"1"), S(u"2"), S(u"3")};
    const QStringList ordinals = {S(u"1"), S(u"1"), S(u"2")};
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(table.Cell(row, ArticleTable::Number), numbers[row - 1]);
        EXPECT_EQ(table.Cell(row, ArticleTable::Ordinal), ordinals[row - 1]);
        EXPECT_TRUE(table.Cell(row, ArticleTable::Mark).isEmpty());
    }
    EXPECT_EQ(table.Cell(3, ArticleTable::Title), S(u"t3"));
    EXPECT_EQ(table.Cell(3, ArticleTable::Link), S(u"l3"));
    EXPECT_EQ(table.Cell(3, ArticleTable::Date), S(u"d3"));
    // The empty last row and the header.
    EXPECT_TRUE(table.Cell(4, ArticleTable::Title).isEmpty());
    EXPECT_EQ(table.Cell(0, ArticleTable::Ordinal), S(u"页数"));
    EXPECT_EQ(table.Categories().Size(), 2);
}

TEST(ArticleTable, SameLinkTwiceGivesTwoRows) {
    ArticleTable table;
    table.AddArticle(S(u"t"), S(u"A"), S(u"same.html"), QString());
    table.AddArticle(S(u"t"), S(u"A"), S(u"same.html"), QString());
    EXPECT_EQ(table.ArticleCount(), 2);
    EXPECT_EQ(table.Cell(2, ArticleTable::Ordinal), S(u"2"));
}

TEST(ArticleTable, ResetStartsNumberingAfresh) {
    ArticleTable table;
    Add(table, S(u"A"));
    Add(table, S(u"A"));
    table.Reset();
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Categories().Size(), 0);
    EXPECT_EQ(table.Categories().counts[0], 0);
    Add(table, S(u"A"));
    EXPECT_EQ(table.Cell(1, ArticleTable::Number), S(u"1"));
    EXPECT_EQ(table.Cell(1, ArticleTable::Ordinal), S(u"1"));
}

TEST(ArticleTable, CategoriesAreCaseSensitive) {
    ArticleTable table;
    Add(table, S(u"Notes"));
    Add(table, S(u"notes"));
    Add(table, S(u"Notes"));
    EXPECT_EQ(table.Categories().Size(), 2);
    EXPECT_EQ(table.Cell(2, ArticleTable::Ordinal), S(u"1"));
    EXPECT_EQ(table.Cell(3, ArticleTable::Ordinal), S(u"2"));
}

TEST(ArticleTable, EmptyCategoryIsNumberedWithoutTakingASlot) {
    ArticleTable table;
    Add(table, QString());
    Add(table, S(u"A"));
    Add(table, QString());
    EXPECT_EQ(table.Cell(3, ArticleTable::Ordinal), S(u"2"));
    EXPECT_EQ(table.Categories().Size(), 1);
    EXPECT_EQ(table.Categories().names[0], S(u"A"));
}

TEST(ArticleTable, TopRowFollowsTheEndOfTheTable) {
    ArticleTable table;
    QSignalSpy moved(&table, &ArticleTable::topRowChanged);
    for (int i = 0; i < 4; ++i)
        Add(table, S(u"A"));
    EXPECT_EQ(table.TopRow(), 1);
    Add(table, S(u"A"));
    EXPECT_EQ(table.TopRow(), 2);
    for (int i = 0; i < 5; ++i)
        Add(table, S(u"A"));
    EXPECT_EQ(table.RowCount(), 12);
    EXPECT_EQ(table.TopRow(), 7);
    ASSERT_FALSE(moved.isEmpty());
    EXPECT_EQ(moved.last().at(0).toInt(), 7);
}

TEST(ArticleTable, RefusesA502ndCategoryAndStaysUnchanged) {
    ArticleTable table;
    for (int i = 0; i < CategoryList::kSlots; ++i)
        ASSERT_TRUE(Add(table, u"c" + QString::number(i)));
    QString error;
    EXPECT_FALSE(Add(table, S(u"one too many"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(S(u"one too many")));
    EXPECT_EQ(table.ArticleCount(), CategoryList::kSlots);
    EXPECT_EQ(table.Categories().Size(), CategoryList::kSlots);
    // Known categories still take articles.
    EXPECT_TRUE(Add(table, S(u"c7")));
    EXPECT_EQ(table.Cell(table.ArticleCount(), ArticleTable::Ordinal), S(u"2"));
}

TEST(ArticleTable, RefusesThe32768thArticleOfACategory) {
    ArticleTable table;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < ArticleTable::kMaxPerCategory; ++i)
        table.AddArticle(QString(), S(u"A"), QString(), QString());
    EXPECT_EQ(table.Cell(table.ArticleCount(), ArticleTable::Ordinal), S(u"32767"));
    QString error;
    EXPECT_FALSE(table.AddArticle(S(u"last"), S(u"A"), QString(), QString(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(table.ArticleCount(), ArticleTable::kMaxPerCategory);
    EXPECT_EQ(table.Categories().counts[0], ArticleTable::kMaxPerCategory);
    // Other categories are not held back.
    EXPECT_TRUE(table.AddArticle(S(u"other"), S(u"B"), QString(), QString()));
    EXPECT_LT(timer.elapsed(), 10000);
}
