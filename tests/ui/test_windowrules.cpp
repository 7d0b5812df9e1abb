// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "services/service.h"
#include "ui/windowrules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {

TEST(LayoutRule, LowWindowKeepsItsSizesAndOthersFollowTheWindow) {
    EXPECT_FALSE(LayoutForWindow(9000, 3200));
    const std::optional<GridLayoutTwips> layout = LayoutForWindow(9000, 7000);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->listWidth, 8400);
    EXPECT_EQ(layout->gridWidth, 8400);
    EXPECT_EQ(layout->gridHeight, 3700);
    // Just above the threshold the allowance would ask for a negative height.
    EXPECT_EQ(LayoutForWindow(9000, 3201)->gridHeight, 0);
}

TEST(WheelRule, NotchesMoveTheTopRowByThreeWithinTheGrid) {
    EXPECT_EQ(WheelTopRow(7, 10, -120, false), 7);
    EXPECT_EQ(WheelTopRow(6, 10, -120, false), 9);
    EXPECT_EQ(WheelTopRow(3, 10, 120, false), 1);
    EXPECT_EQ(WheelTopRow(5, 10, 120, false), 2);
    // Anything but one plain notch gets the grid's own handling.
    EXPECT_FALSE(WheelTopRow(5, 10, -240, false));
    EXPECT_FALSE(WheelTopRow(5, 10, 60, false));
    EXPECT_FALSE(WheelTopRow(5, 10, -120, true));
}

TEST(StatusLineRule, PictureLinesOpenTheAddressAfterTheBreakAndNoBreakCharacter) {
    EXPECT_EQ(StatusLineAddress(u"12\r\nhttp://s1.sinaimg.cn/a.jpg"_qs),
              u"http://s1.sinaimg.cn/a.jpg");
    // Only the first break separates; later ones are dropped, never passed on.
    EXPECT_EQ(StatusLineAddress(u"3\r\nhttp://x.cn/b.jpg\r\n"_qs), u"http://x.cn/b.jpg");
    EXPECT_EQ(StatusLineAddress(u"http://blog.sina.com.cn/s/articlelist_1_0_2.html\n"_qs),
              u"http://blog.sina.com.cn/s/articlelist_1_0_2.html");
    EXPECT_EQ(StatusLineAddress(u"没有找到文章，请检查地址！"_qs), u"");
    // "http" as written: other letter cases open nothing.
    EXPECT_EQ(StatusLineAddress(u"HTTP://X.CN/"_qs), u"");
}

TEST(ArticleRule, TheDownloadMarkChoosesTheLocalPageOverTheOnlineOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AppState state(dir.path());
    state.serviceKind = kSina;
    state.taskName = u"mytask"_qs;
    state.table().AddArticle(u"甲"_qs, u"旅行/笔记"_qs, u"blog_a.html"_qs, u"2011-08-21"_qs);
    state.table().AddArticle(u"乙"_qs, u"旅行/笔记"_qs, u"blog_b.html"_qs, u"2011-08-21"_qs);
    state.table().SetMark(1, u"●"_qs);
    state.table().SetMark(2, u"○"_qs);
    // A page on disk does not make an unmarked row local.
    ASSERT_TRUE(QDir().mkpath(dir.path() + u"/mytask/旅行_笔记"));
    QFile page(dir.path() + u"/mytask/旅行_笔记/blog_b.html");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));

    EXPECT_EQ(ArticleToOpen(state, 1),
              QUrl::fromLocalFile(dir.path() + u"/mytask/旅行_笔记/blog_a.html"));
    EXPECT_EQ(ArticleToOpen(state, 2), QUrl(u"http://blog.sina.com.cn/s/blog_b.html"_qs));
    EXPECT_FALSE(ArticleToOpen(state, 3).isValid());
}

} // namespace
