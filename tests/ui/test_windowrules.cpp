// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "ui/windowrules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {

TEST(WindowRules, LayoutKeepsALowWindowAndSizesTheListAndGridOfOthers) {
    EXPECT_FALSE(LayoutForWindow(9000, 3200));
    const std::optional<GridLayoutTwips> layout = LayoutForWindow(9000, 7000);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->listWidth, 8400);
    EXPECT_EQ(layout->gridWidth, 8400);
    EXPECT_EQ(layout->gridHeight, 3700);
    EXPECT_EQ(LayoutForWindow(9000, 3201)->gridHeight, 0);
}

TEST(WindowRules, OnePlainWheelNotchMovesTheTopRowByThreeWithinTheGrid) {
    EXPECT_EQ(WheelTopRow(7, 10, -120, false), 7);
    EXPECT_EQ(WheelTopRow(6, 10, -120, false), 9);
    EXPECT_EQ(WheelTopRow(3, 10, 120, false), 1);
    EXPECT_EQ(WheelTopRow(5, 10, 120, false), 2);
    EXPECT_FALSE(WheelTopRow(5, 10, -240, false));
    EXPECT_FALSE(WheelTopRow(5, 10, -120, true));
}

TEST(WindowRules, StatusLinesOpenTheAddressAfterTheFirstBreakWithNoBreakCharacter) {
    EXPECT_EQ(StatusLineAddress(u"12\r\nhttp://x.cn/a.jpg\r\n"_qs), u"http://x.cn/a.jpg");
    EXPECT_EQ(StatusLineAddress(u"http://x.cn/list_2.html\n"_qs), u"http://x.cn/list_2.html");
    EXPECT_EQ(StatusLineAddress(u"没有找到文章"_qs), u"");
    EXPECT_EQ(StatusLineAddress(u"HTTP://X.CN/"_qs), u"");
}

TEST(WindowRules, TheDownloadMarkAloneChoosesTheLocalPage) {
    QTemporaryDir dir;
    AppState state(dir.path());
    state.taskName = u"mytask"_qs;
    for (const QString& link : {u"blog_a.html"_qs, u"blog_b.html"_qs})
        state.table().AddArticle(u"甲"_qs, u"旅行/笔记"_qs, link, u"2011-08-21"_qs);
    state.table().SetMark(1, u"●"_qs);
    state.table().SetMark(2, u"○"_qs);
    // A page on disk does not make an unmarked row local.
    ASSERT_TRUE(QDir().mkpath(dir.path() + u"/mytask/旅行_笔记"));
    ASSERT_TRUE(QFile(dir.path() + u"/mytask/旅行_笔记/blog_b.html").open(QIODevice::WriteOnly));
    EXPECT_EQ(ArticleToOpen(state, 1),
              QUrl::fromLocalFile(dir.path() + u"/mytask/旅行_笔记/blog_a.html"));
    EXPECT_EQ(ArticleToOpen(state, 2), QUrl(u"http://blog.sina.com.cn/s/blog_b.html"_qs));
    EXPECT_FALSE(ArticleToOpen(state, 3).isValid());
}

} // namespace
