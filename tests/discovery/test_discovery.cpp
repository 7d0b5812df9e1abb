// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/filenames.h"
#include "demo/sampleblog.h"
#include "demo/samplemarkup.h"
#include "discovery/discovery.h"
#include "platform/eventloop.h"
#include "services/blogaddress.h"
#include "support/baiduhexunblogs.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"
#include "support/sampleblogvariants.h"
#include "support/standinbrowser.h"

#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>

namespace pellomar {
namespace {

using sample::MenuShape;
using sample::SampleBlog;
using sample::SampleOptions;

// title, category, link, date, ordinal: what discovery should leave in each row.
QList<QStringList> ExpectedRows(const SampleBlog& blog,
                                const sample::CategoryListings& listings = {}) {
    QList<QStringList> rows;
    QHash<QString, int> counts;
    QSet<QString> seen;
    auto add = [&](const sample::SampleArticle& article, const QString& category) {
        rows.append({SafeFileName(sample::EscapeHtml(article.title)), category, article.link,
                     article.date, QString::number(++counts[category])});
    };
    for (const sample::SampleCategory& category : blog.categories)
        for (const sample::SampleArticle& article :
             listings.value(category.id, sample::CategoryListing(blog, category))) {
            add(article, category.name);
            seen.insert(article.link);
        }
    for (const sample::SampleArticle& favourite : blog.favourites)
        add(favourite, QStringLiteral("博文收藏"));
    for (const sample::SampleArticle& article : blog.articles)
        if (!seen.contains(article.link)) {
            add(article, QStringLiteral("全部博文"));
            seen.insert(article.link);
        }
    return rows;
}

QCoro::Task<> OneYield() {
    co_await YieldOnce{};
}

QList<QStringList> Rows(AppState& state) {
    QList<QStringList> rows;
    for (int row = 1; row <= state.table().ArticleCount(); ++row) {
        QStringList cells;
        for (int column = ArticleTable::Title; column <= ArticleTable::Ordinal; ++column)
            cells << state.table().Cell(row, column);
        rows.append(cells);
    }
    return rows;
}

class DiscoveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        proxy.emplace(server);
    }

    SampleBlog Serve(SampleOptions options) {
        const SampleBlog blog = sample::GenerateSampleBlog(options);
        sample::ServeSampleBlog(blog, server);
        return blog;
    }

    void ExpectFailedRun() {
        EXPECT_EQ(state.table().ArticleCount(), 0);
        EXPECT_EQ(state.statusLog().Lines(), QStringList{kNoArticlesFound});
        EXPECT_FALSE(state.ButtonEnabled(AppState::Download));
        EXPECT_FALSE(state.ButtonEnabled(AppState::ExportTask));
        EXPECT_TRUE(state.ButtonEnabled(AppState::NewTask));
        EXPECT_TRUE(state.ButtonEnabled(AppState::ImportTask));
        EXPECT_EQ(state.Caption(), kNoArticlesFound);
    }

    QTemporaryDir folder;
    AppState state{folder.path()};
    test::FixtureServer server;
    std::optional<test::ScopedProxyEnv> proxy;
};

TEST_F(DiscoveryTest, FullBlogFillsEveryArticleWithItsCategoryAndOrdinal) {
    SampleOptions options;
    options.articleCount = 130;
    options.categoryCount = 3;
    options.emptyCategoryCount = 1;
    options.uncategorisedCount = 7;
    options.favouriteCount = 3;
    options.menuShape = MenuShape::Real;
    const SampleBlog blog = sample::GenerateSampleBlog(options);
    sample::CategoryListings listings;
    ASSERT_FALSE(test::ListTwice(blog, listings).isEmpty());
    sample::ServeSampleBlog(blog, server, listings);

    test::RunTask(Start(state, kSina, QStringLiteral("青衫"), sample::FirstPageAddress(blog)));

    EXPECT_EQ(state.serviceKind, kSina);
    EXPECT_EQ(state.taskName, QStringLiteral("青衫"));
    EXPECT_EQ(state.blogAddress, sample::FirstPageAddress(blog));
    const QList<QStringList> expected = ExpectedRows(blog, listings);
    EXPECT_EQ(Rows(state), expected);
    // Every article of the blog and every favourite is there, the duplicate listed twice.
    EXPECT_EQ(state.table().ArticleCount(), 130 + 3 + 1);
    EXPECT_EQ(state.table().Categories().names[0], blog.categories[0].name);
    EXPECT_EQ(state.table().Categories().names[3], QStringLiteral("博文收藏"));
    EXPECT_EQ(state.table().Categories().names[4], QStringLiteral("全部博文"));
    EXPECT_EQ(state.table().Categories().counts[4], 7);
    EXPECT_EQ(state.Caption(), QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务"));
    EXPECT_EQ(state.Buttons(), (std::array<bool, 6>{true, true, false, true, true, true}));
    EXPECT_EQ(state.statusLog().Selected(), state.statusLog().Count() - 1);
}

TEST_F(DiscoveryTest, ProgressCaptionsCountPagesOutOfTheQueueLength) {
    SampleOptions options;
    options.articleCount = 120;
    options.categoryCount = 1;
    options.favouriteCount = 0;
    const SampleBlog blog = Serve(options);
    // One category of 120 (3 pages) and the all-articles list of 120 (3 pages).
    QStringList captions;
    QObject::connect(&state, &AppState::captionChanged, &state,
                     [&captions](const QString& text) { captions << text; });
    server.AddDelay(sample::FirstPageAddress(blog), 400);
    const long long wakeupsBefore = EventPulse::Instance().Wakeups();
    const std::clock_t cpuBefore = std::clock();

    test::RunTask(Start(state, kSina, QStringLiteral("n"), sample::FirstPageAddress(blog)));
    const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;

    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("正在查找文章.."), QStringLiteral("正在寻找文章...."),
                           QStringLiteral("查找文章：1页/6页"), QStringLiteral("查找文章：2页/6页"),
                           QStringLiteral("查找文章：3页/6页"), QStringLiteral("查找文章：4页/6页"),
                           QStringLiteral("查找文章：5页/6页"), QStringLiteral("查找文章：6页/6页"),
                           QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务")}));
    // The first request is waited for asleep: no timers run here, so only its completion
    // wakes the wait, and the 400 ms of waiting cost next to no processor time.
    EXPECT_LE(EventPulse::Instance().Wakeups() - wakeupsBefore, 3);
    EXPECT_LT(cpuMs, 60.0);
    EXPECT_EQ(state.table().ArticleCount(), 120);
}

TEST_F(DiscoveryTest, AddressesThatGiveNoListPageEndWithTheNotFoundLine) {
    const QString failing = QStringLiteral("http://blog.sina.com.cn/s/articlelist_2_0_1.html");
    const QString plain = QStringLiteral("http://blog.sina.com.cn/s/articlelist_3_0_1.html");
    server.AnswerError(failing, 500, "<html><body>Internal error</body></html>");
    server.SetPage(plain, "<html><body>nothing to see</body></html>");
    for (const QString& address : {failing, plain, QStringLiteral("not an address"),
                                   QStringLiteral("http://blog.sina.com.cn/missing.html")}) {
        state.SetButtons({true, true, true, true, true, true});
        test::RunTask(Start(state, kSina, QStringLiteral("x"), address));
        SCOPED_TRACE(address.toStdString());
        ExpectFailedRun();
    }
}

TEST_F(DiscoveryTest, AFirstPageThatCannotBeFetchedSaysTheNetworkFailed) {
    const QString dropped = QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html");
    server.Drop(dropped);
    const Outcome outcome = test::RunTask(Start(state, kSina, QStringLiteral("x"), dropped));
    EXPECT_EQ(outcome.problem, kNetworkFailed);
    EXPECT_EQ(state.statusLog().Lines(), QStringList{kNetworkFailed});
    EXPECT_FALSE(state.ButtonEnabled(AppState::Download));

    // Every service alike: Baidu queues page 0 whatever it got, the browser's services
    // would wait for a list in vain.
    for (const ServiceKind kind : {kBaidu, kNetEase, kSohu}) {
        const QString address = *GeneratedBlogAddress(kind, QStringLiteral("someone"));
        server.Drop(address);
        const Outcome failed =
            test::RunTask(Start(state, kind, QStringLiteral("someone"), address), 5'000);
        EXPECT_EQ(failed.problem, kNetworkFailed) << kind;
        EXPECT_EQ(state.Caption(), kNetworkFailed) << kind;
        EXPECT_EQ(state.Buttons(), buttons::kAtStartUp) << kind;
    }
}

TEST_F(DiscoveryTest, AHexunBlogWithoutPagingBarAndAnUnknownServiceFindNothing) {
    // Its one list page holds articles, but without a paging bar no page is queued.
    test::ServeBlog(test::HexunBlog(QStringLiteral("someone"), 3), server);
    const QString address = QStringLiteral("http://someone.blog.hexun.com");
    test::RunTask(Start(state, kHexun, QStringLiteral("someone"), address));
    ExpectFailedRun();
    EXPECT_EQ(server.TotalRequests(), 1);
    test::RunTask(Start(state, ServiceKind(9), QStringLiteral("x"), address));
    ExpectFailedRun();
}

// The headless build, and a process whose browser did not start.
TEST_F(DiscoveryTest, SohuAndNetEaseWithoutABrowserSayTheyNeedOne) {
    ASSERT_EQ(state.browser(), nullptr);
    for (const ServiceKind kind : {kSohu, kNetEase}) {
        const QString address = *GeneratedBlogAddress(kind, QStringLiteral("someone"));
        server.SetPage(address, "<html><body>正在加载日志数据</body></html>");
        const Outcome outcome =
            test::RunTask(Start(state, kind, QStringLiteral("someone"), address));
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.problem, kDiscoveryFailed + state.BrowserProblem());
        EXPECT_TRUE(state.BrowserProblem().contains(u"没有带内置浏览器"));
        EXPECT_EQ(state.statusLog().Lines(), (QStringList{address, outcome.problem}));
        EXPECT_EQ(state.Buttons(), buttons::kDiscovered);
    }
}

TEST_F(DiscoveryTest, ASecondStartBeginsFromAnEmptyTable) {
    SampleOptions first;
    first.articleCount = 30;
    first.seed = 1;
    SampleOptions second;
    second.articleCount = 12;
    second.seed = 2;
    second.favouriteCount = 0;
    const SampleBlog a = Serve(first);
    const SampleBlog b = Serve(second);
    ASSERT_NE(a.uid, b.uid);

    test::RunTask(Start(state, kSina, QStringLiteral("a"), sample::FirstPageAddress(a)));
    ASSERT_EQ(state.table().ArticleCount(), 30 + 3);
    test::RunTask(Start(state, kSina, QStringLiteral("b"), sample::FirstPageAddress(b)));

    EXPECT_EQ(Rows(state), ExpectedRows(b));
    EXPECT_EQ(state.table().Cell(1, ArticleTable::Number), QStringLiteral("1"));
    EXPECT_EQ(state.table().Categories().Size(), b.categories.size());
    EXPECT_EQ(state.taskName, QStringLiteral("b"));
}

TEST_F(DiscoveryTest, AStartDuringAnotherRunsWaitLeavesOnlyTheNewTask) {
    SampleOptions first;
    first.articleCount = 60;
    first.seed = 3;
    SampleOptions second;
    second.articleCount = 10;
    second.seed = 4;
    const SampleBlog a = Serve(first);
    const SampleBlog b = Serve(second);
    server.AddDelay(sample::AllArticlesPageAddress(a, 2), 300);

    QCoro::Task<Outcome> older =
        Start(state, kSina, QStringLiteral("a"), sample::FirstPageAddress(a));
    // Let the older run reach its delayed page, then start the new one in its wait.
    for (int i = 0; i < 100'000 && server.RequestCount(sample::AllArticlesPageAddress(a, 2)) == 0;
         ++i)
        test::RunTask(OneYield());
    ASSERT_EQ(server.RequestCount(sample::AllArticlesPageAddress(a, 2)), 1);
    test::RunTask(Start(state, kSina, QStringLiteral("b"), sample::FirstPageAddress(b)));
    test::RunTask(std::move(older));

    EXPECT_EQ(Rows(state), ExpectedRows(b));
    EXPECT_EQ(state.taskName, QStringLiteral("b"));
    EXPECT_TRUE(state.ButtonEnabled(AppState::Download));
}

// A new task accepted while a browser reader yields: the older run stops there, and none of
// its rows reach the new task (Sohu yields within a page, NetEase between pages).
TEST_F(DiscoveryTest, ABrowserReaderStopsOnceANewerRunReplacesIt) {
    state.timer2().setInterval(5);
    test::StandInBrowser browser;
    state.SetBrowser(&browser);
    test::RunTask(state.StartUp());
    for (const ServiceKind kind : {kSohu, kNetEase}) {
        const QString older = *GeneratedBlogAddress(kind, QStringLiteral("older"));
        const QString newer = *GeneratedBlogAddress(kind, QStringLiteral("newer"));
        browser.pages[older] = test::StandInListMarkup(kind, QStringLiteral("older"), 20);
        browser.pages[newer] = test::StandInListMarkup(kind, QStringLiteral("newer"), 3);
        browser.reads = 0;
        QCoro::Task<Outcome> run = Start(state, kind, QStringLiteral("older"), older);
        // The third read is the first list page's, which the reader then works through.
        for (int i = 0; i < 100'000 && browser.reads < 3; ++i)
            test::RunTask(OneYield());
        test::RunTask(Start(state, kind, QStringLiteral("newer"), newer));
        test::RunTask(std::move(run));
        QStringList titles;
        for (const QStringList& row : Rows(state))
            titles << row[0];
        EXPECT_EQ(titles, (QStringList{u"newer1001"_qs, u"newer1002"_qs, u"newer1003"_qs})) << kind;
    }
    state.SetBrowser(nullptr);
}

} // namespace
} // namespace pellomar
