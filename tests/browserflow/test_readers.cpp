// SPDX-License-Identifier: GPL-3.0-or-later
// The Sohu and NetEase readers through the real browser, from discovery's Start.
#include "browser/webbrowserview.h"
#include "browserflow.h"
#include "discovery/discovery.h"
#include "download/engine.h"
#include "support/runtask.h"
#include "support/scriptblogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
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
    Outcome Discover(const ScriptBlog& blog, int limitMs = 120'000) {
        ServeScriptBlog(blog, *browserServer);
        return RunTask(Start(State(), blog.kind, blog.account, ListPageAddress(blog, 1)), limitMs);
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

// Hostile pages served to the readers: each run ends within its limit with a status line,
// shows no dialog, and neither opens nor reads anything beyond the blog's own pages.
struct HostileCase {
    const char* name;
    ServiceKind kind;
    int articles;
    // Appended to the first list page (and served again as pages 2 to `repeats`).
    const char16_t* extra;
    int repeats;
    // The run's problem after "查找文章出错：", or none when all articles are read.
    const char16_t* problem;
    int rows;
    int maxMs;
    // This page gets no answer at all.
    int dropPage = 0;
};

const char16_t* const kNotShown = u"列表页3秒内没有显示出文章";
const char16_t* const kSohuEndless =
    u"<script>list[0] = list[0].replace('<div class=\"content-bottom\">', '<div "
    u"class=\"content-bottom\"><a href=\"#\" onclick=\"chageEntryPage(2);return false;\">[2]</a> "
    u"<a href=\"#\" onclick=\"chageEntryPage(2147483647);return "
    u"false;\">[2147483647]</a>');</script>";
const char16_t* const kNetEaseEndless =
    u"<script>pages = pages.map(function (p) { return p.replace('<span class=\"fc03 bgc9 "
    u"bdc0\">下一页', '<span onclick=\"go(1)\" class=\"fc03 bgc9 bdc0 "
    u"js-bgc9-hover\">2147483647</span><span class=\"fc03 bgc9 bdc0\">下一页'); });</script>";

const HostileCase kHostileCases[] = {
    {"EndlessScript", kSohu, 4, u"<script>setTimeout(function () { for (;;) {} }, 0);</script>", 0,
     kNotShown, 0, 9'000},
    {"Dialogs", kNetEase, 4, u"<script>alert('a'); confirm('b'); prompt('c', 'd');</script>", 0,
     nullptr, 4, 4'000},
    {"WindowOpen", kSohu, 4,
     u"<script>window.open('http://elsewhere.blog.sohu.com/popup/');</script>", 0, nullptr, 4,
     4'000},
    {"FileNavigation", kNetEase, 4, u"<script>location.href = 'file:///etc/passwd';</script>", 0,
     nullptr, 4, 4'000},
    {"OtherHost", kSohu, 4, u"<script>location.href = 'http://elsewhere.example.com/';</script>", 0,
     kNotShown, 0, 6'000},
    {"HugeDom", kSohu, 4,
     u"<script>document.body.appendChild(document.createElement('p')).textContent = "
     u"'x'.repeat(50 << 20);</script>",
     0, kNotShown, 0, 9'000},
    // Its picture never arrives, so the page never finishes loading; the list shows at once.
    {"NeverLoaded", kSohu, 4, u"<img src=\"http://photo.pic.sohu.com/never.jpg\">", 0, nullptr, 4,
     2'500},
    {"SohuPagesForEver", kSohu, 4, kSohuEndless, 3, nullptr, 4, 6'000},
    {"NetEaseButtonForEver", kNetEase, 8, kNetEaseEndless, 0, nullptr, 8, 6'000},
    {"Download", kNetEase, 4,
     u"<script>var a = document.body.appendChild(document.createElement('a')); a.href = "
     u"'data:text/plain,x'; a.download = 'pellomar-hostile.txt'; a.click();</script>",
     0, nullptr, 4, 4'000},
    {"NoAnswer", kSohu, 8, u"", 0, u"网络连接失败，请检查网络后重试！", 4, 2'500, 2},
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

class HostilePage : public WaitLimit, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostilePage, EndsWithinItsLimitReadingOnlyTheBlog) {
    const HostileCase& c = GetParam();
    State().timer2().setInterval(10);
    m_browser.SetTimeLimits(6'000, 1'500);
    ScriptBlog blog = MakeScriptBlog(c.kind, QString::fromLatin1(c.name).toLower(), c.articles, 4);
    ServeScriptBlog(blog, *browserServer);
    const QString body = ScriptListBody(blog, 1) + QString::fromUtf16(c.extra);
    for (int page = 1; page <= std::max(1, c.repeats); ++page)
        browserServer->SetResponse(ListPageAddress(blog, page), GbkPage(body));
    browserServer->Stall(u"http://photo.pic.sohu.com/never.jpg"_qs);
    if (c.dropPage)
        browserServer->Drop(ListPageAddress(blog, c.dropPage));

    QElapsedTimer clock;
    clock.start();
    const Outcome found =
        RunTask(Start(State(), blog.kind, blog.account, ListPageAddress(blog, 1)), 30'000);
    EXPECT_LT(clock.elapsed(), c.maxMs);
    const QString problem =
        c.problem ? kDiscoveryFailed + QString::fromUtf16(c.problem) : QString();
    EXPECT_EQ(found.problem, problem);
    EXPECT_EQ(State().statusLog().Lines().constLast(),
              c.problem ? problem : ListPageAddress(blog, 1));
    EXPECT_EQ(State().table().ArticleCount(), c.rows);
    EXPECT_FALSE(State().statusLog().Lines().join(u'\n').contains(u"root:"));
    EXPECT_EQ(browserServer->RequestCount(u"http://elsewhere.blog.sohu.com/popup/"_qs), 0);
    EXPECT_EQ(QGuiApplication::topLevelWindows().size(), 0);
    EXPECT_FALSE(QFile::exists(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation) +
                               u"/pellomar-hostile.txt"));
}

INSTANTIATE_TEST_SUITE_P(Readers, HostilePage, ::testing::ValuesIn(kHostileCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace pellomar::test
