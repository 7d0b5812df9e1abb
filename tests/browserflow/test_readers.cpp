// SPDX-License-Identifier: GPL-3.0-or-later
// The Sohu and NetEase readers through the real browser, from discovery's Start.
#include "browser/webbrowserview.h"
#include "browserflow.h"
#include "discovery/discovery.h"
#include "download/engine.h"
#include "support/runtask.h"
#include "support/scriptblogs.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pellomar::test {
namespace {

// The engine with the browser plugged in and started, as the window has it.
class ReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        State().SetBrowser(&m_browser);
        RunTask(State().StartUp(), 60'000);
        ASSERT_EQ(State().browser(), &m_browser) << State().BrowserProblem().toStdString();
    }
    AppState& State() { return m_engine.state(); }
    Outcome Discover(const ScriptBlog& blog) {
        ServeScriptBlog(blog, *browserServer);
        return RunTask(Start(State(), blog.kind, blog.account, ListPageAddress(blog, 1)), 120'000);
    }

    QTemporaryDir m_dir;
    Engine m_engine{m_dir.path()};
    WebBrowserView m_browser;
};

using SohuList = ReaderTest;
using NetEaseList = ReaderTest;

TEST_F(SohuList, OnePageWithoutPagingCallsAHiddenEntryAndCategoriesUpTo11LinesBelow) {
    ScriptBlog blog = MakeScriptBlog(kSohu, u"caochong"_qs, 6, 10);
    blog.articles[1].hidden = true;
    blog.articles[3].categoryLine = 11;
    blog.articles[4].categoryLine = 12;
    EXPECT_TRUE(Discover(blog).ok);
    const QList<QStringList> rows = Rows(State());
    EXPECT_EQ(rows, ExpectedScriptRows(blog));
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[1].mid(0, 4), (QStringList{u"隐藏日志不能下载"_qs, blog.articles[1].category,
                                              u"000000.html"_qs, u"0000-00-00"_qs}));
    EXPECT_EQ(rows[2][0], u"未找到的答案3"_qs);
    EXPECT_EQ(rows[3][1], blog.articles[3].category);
    EXPECT_EQ(rows[4][1], u"默认分类"_qs);
}

TEST_F(SohuList, PagesTwoToSevenAreEachReachedByClickingTheirNumber) {
    const ScriptBlog blog = MakeScriptBlog(kSohu, u"qingshan"_qs, 26, 4);
    EXPECT_TRUE(Discover(blog).ok);
    EXPECT_EQ(Rows(State()), ExpectedScriptRows(blog));
    for (int page = 2; page <= 7; ++page)
        EXPECT_EQ(browserServer->RequestCount(ListPageAddress(blog, page)), 1) << page;
}

TEST_F(NetEaseList, ButtonsOneToFiveAreEachClickedAndAFarCategoryLineIsFound) {
    ScriptBlog blog = MakeScriptBlog(kNetEase, u"wangyi"_qs, 18, 4);
    blog.articles[5].categoryLine = 40;
    EXPECT_TRUE(Discover(blog).ok);
    EXPECT_EQ(Rows(State()), ExpectedScriptRows(blog));
    EXPECT_TRUE(RunTask(m_browser.BodyOuterHtml()).contains(u"<DIV id=clicks>1 2 3 4 5</DIV>"));
}

TEST_F(NetEaseList, WithoutThePreviousPageButtonEveryButtonOfThePageCounts) {
    ScriptBlog blog = MakeScriptBlog(kNetEase, u"wuyi"_qs, 10, 4);
    blog.previousButton = false;
    EXPECT_TRUE(Discover(blog).ok);
    EXPECT_EQ(Rows(State()), ExpectedScriptRows(blog));
}

// Timer2 ten times faster makes the 300-tick limits 3 s.
class WaitLimit : public ReaderTest {
  protected:
    void ExpectEndAtTheLimit(const ScriptBlog& blog, const QString& reason, int rowsKept) {
        State().timer2().setInterval(10);
        QElapsedTimer clock;
        clock.start();
        const Outcome found = Discover(blog);
        EXPECT_GE(clock.elapsed(), 2'850);
        EXPECT_LT(clock.elapsed(), 9'000);
        EXPECT_EQ(found.problem, kDiscoveryFailed + reason);
        EXPECT_EQ(State().statusLog().Lines().constLast(), found.problem);
        EXPECT_EQ(State().Buttons(), buttons::kDiscovered);
        EXPECT_EQ(State().table().ArticleCount(), rowsKept);
    }
};

TEST_F(WaitLimit, AListThatNeverShowsEndsDiscovery) {
    ScriptBlog blog = MakeScriptBlog(kSohu, u"dengdai"_qs, 3);
    blog.loadingMs = -1;
    ExpectEndAtTheLimit(blog, u"列表页3秒内没有显示出文章"_qs, 0);
}

TEST_F(WaitLimit, APagingLinkThatNeverLoadsEndsDiscoveryKeepingPageOne) {
    ScriptBlog blog = MakeScriptBlog(kSohu, u"duanlian"_qs, 6, 4);
    blog.pagingLoads = false;
    ExpectEndAtTheLimit(blog, u"翻到第2页的链接3秒内没有打开新页面"_qs, 4);
}

} // namespace
} // namespace pellomar::test
