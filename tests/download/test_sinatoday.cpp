// SPDX-License-Identifier: GPL-3.0-or-later
// A Sina blog as the service serves it today, discovered and downloaded end to end: every
// row keeps its category and gets its full title, each page is saved with the very bytes
// the 2011 markup gives, walls and checks are failed and named, throttled list pages wait.
#include "core/filenames.h"
#include "core/taskfile.h"
#include "demo/sampleblog.h"
#include "discovery/discovery.h"
#include "download/downloader.h"
#include "download/downloadsteps.h"
#include "download/engine.h"
#include "downloadtesthelpers.h"
#include "services/service.h"
#include "support/runtask.h"
#include "support/sinatoday.h"
#include "support/tlsfixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

const QString kWall = QStringLiteral("系统维护中，博文仅作者可见");
const QString kCheck = QStringLiteral("您的访问过于频繁，请输入验证码");

sample::SampleBlog Blog() {
    sample::SampleOptions options;
    options.articleCount = 30;
    options.categoryCount = 3;
    options.picturesPerArticle = 1;
    options.picturedEvery = 3;
    options.favouriteCount = 2;
    options.seed = 11;
    return sample::GenerateSampleBlog(options);
}

// One program folder and engine, as one process of the program.
struct Program {
    QTemporaryDir dir;
    Engine engine{dir.path()};
    AppState& state = engine.state();

    ScopedProxyEnv proxy;
    ScopedCertFileEnv authority;

    explicit Program(const LoopbackServer& server) : proxy(server) {
        RunTask(state.StartUp());
        Pacer::Timing quick;
        quick.windowMs = 300;
        quick.firstPauseMs = 50;
        quick.longestPauseMs = 200;
        state.network().pacer().SetTiming(quick);
    }
    Outcome Discover(const QString& address) {
        return RunTask(Start(state, kSina, QStringLiteral("今日博客"), address), 30'000);
    }
    Outcome Download() {
        state.savePictures = true;
        return RunTask(WaitForPictures(state, RunTask(DownloadArticles(state), 30'000)), 30'000);
    }
    QString ArticleFile(const sample::SampleArticle& article) const {
        return state.Paths().ArticleFile(
            article.category.isEmpty() ? u"全部博文"_qs : article.category, article.link);
    }
};

// The 2011 markup of the same blog, downloaded: what today's must give byte for byte.
QHash<QString, QByteArray> ReferencePages(const sample::SampleBlog& blog) {
    FixtureServer server;
    EXPECT_TRUE(server.Start());
    sample::ServeSampleBlog(blog, server);
    Program run(server);
    EXPECT_TRUE(run.Discover(sample::FirstPageAddress(blog)).ok);
    EXPECT_TRUE(run.Download().ok);
    QHash<QString, QByteArray> pages;
    for (const sample::SampleArticle& article : blog.articles)
        pages.insert(article.link, ReadBytes(run.ArticleFile(article)));
    return pages;
}

} // namespace

class SinaToday : public ::testing::TestWithParam<bool> {};

// Over http, and over https with every http address redirected there, as the service does.
INSTANTIATE_TEST_SUITE_P(HttpAndHttps, SinaToday, ::testing::Bool());

TEST_P(SinaToday, TodaysMarkupIsBackedUpAsThe2011MarkupWasWithWallsNamedAndRetriedLater) {
    const bool https = GetParam();
    const sample::SampleBlog blog = Blog();
    const QHash<QString, QByteArray> reference = ReferencePages(blog);

    SinaTodayServer server;
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(!https || ServeTls(server));
    server.Serve(blog, https);
    // A throttled list page waits for the service; one that fails once is asked again.
    server.FailFirst(sample::CategoryPageAddress(blog, blog.categories[0], 1), 2,
                     FixtureServer::Fault::Error, 418);
    server.FailFirst(sample::CategoryPageAddress(blog, blog.categories[1], 1), 1,
                     FixtureServer::Fault::Error, 500);
    const sample::SampleArticle& walled = blog.articles[4];
    const sample::SampleArticle& checked = blog.articles[7];
    server.ServeWall(walled, kWall);
    server.ServeWall(checked, kCheck);
    const QString refused = blog.articles[0].pictures.value(0);
    ASSERT_FALSE(refused.isEmpty());
    server.ServePlaceholderPicture(refused);

    Program run(server);
    AppState& state = run.state;
    const QString first = sample::FirstPageAddress(blog);
    const Outcome found = run.Discover(https ? u"https://" + first.mid(7) : first);
    ASSERT_TRUE(found.ok) << found.problem.toStdString();
    EXPECT_EQ(found.articles, blog.articles.size() + blog.favourites.size());
    EXPECT_GE(state.network().pacer().PauseCount(), 1);
    QHash<QString, int> rowOf;
    for (int row = 1; row <= state.table().ArticleCount(); ++row)
        rowOf.insert(state.table().Cell(row, ArticleTable::Link), row);
    for (const sample::SampleArticle& article : blog.articles) {
        const int row = rowOf.value(article.link);
        ASSERT_GT(row, 0) << article.link.toStdString();
        EXPECT_EQ(state.table().Cell(row, ArticleTable::Category),
                  article.category.isEmpty() ? u"全部博文"_qs : article.category);
        EXPECT_FALSE(state.table().Cell(row, ArticleTable::Title).isEmpty());
    }
    ASSERT_TRUE(ExportTask(state).ok);

    const Outcome downloaded = run.Download();
    EXPECT_FALSE(downloaded.ok);
    EXPECT_EQ(downloaded.articlesFailed, 2);
    const QString notes = downloaded.notes.join(u'\n');
    EXPECT_TRUE(notes.contains(u"需要登录才能看：" + QString::number(rowOf.value(walled.link))));
    EXPECT_TRUE(notes.contains(u"新浪要求验证：" + QString::number(rowOf.value(checked.link))));
    EXPECT_TRUE(notes.contains(u"图片下载失败：" + refused)) << notes.toStdString();
    EXPECT_FALSE(QFileInfo::exists(run.ArticleFile(walled)));
    EXPECT_FALSE(QFileInfo::exists(run.ArticleFile(checked)));

    // Every page the same bytes as from the 2011 markup, every title whole: in the table,
    // the re-saved task file and the full list.
    const QString taskFile = ReadCp936(TaskFilePath(state));
    const QString allList = ReadCp936(state.Paths().TaskFolder() + u"/all.htm");
    for (const sample::SampleArticle& article : blog.articles) {
        if (article.link == walled.link || article.link == checked.link)
            continue;
        EXPECT_EQ(ReadBytes(run.ArticleFile(article)), reference.value(article.link))
            << article.link.toStdString();
        const QString title = SafeFileName(article.title);
        EXPECT_EQ(state.table().Cell(rowOf.value(article.link), ArticleTable::Title), title);
        EXPECT_TRUE(taskFile.contains(title)) << title.toStdString();
        EXPECT_TRUE(allList.contains(title)) << title.toStdString();
    }

    // The wall lifted: the next run fetches what failed and completes.
    server.LiftWall(walled);
    server.LiftWall(checked);
    server.ServePlaceholderPicture(refused, false);
    const Outcome rerun = run.Download();
    EXPECT_TRUE(rerun.ok) << rerun.problem.toStdString();
    EXPECT_EQ(rerun.picturesFailed, 0);
    EXPECT_EQ(ReadBytes(run.ArticleFile(walled)), reference.value(walled.link));
    EXPECT_EQ(ReadBytes(run.ArticleFile(checked)), reference.value(checked.link));
    ASSERT_TRUE(server.LastRequest());
    EXPECT_EQ(server.LastRequest()->url.startsWith(u"https://"), https);
}

TEST(SinaTodayLists, AListPageThatNeverAnswersIsNamedAndTheRowsFoundAreKept) {
    const sample::SampleBlog blog = Blog();
    SinaTodayServer server;
    ASSERT_TRUE(server.Start());
    server.Serve(blog);
    const QString lost = sample::CategoryPageAddress(blog, blog.categories.last(), 1);
    server.AnswerError(lost, 500, "busy");

    Program run(server);
    const Outcome found = run.Discover(sample::FirstPageAddress(blog));
    EXPECT_FALSE(found.ok);
    EXPECT_EQ(found.articles, blog.articles.size() + blog.favourites.size());
    EXPECT_TRUE(found.notes.contains(u"列表页没能读取：" + lost));
    EXPECT_EQ(run.state.Caption(), found.problem);
    EXPECT_EQ(server.RequestCount(lost), 3);
}
