// SPDX-License-Identifier: GPL-3.0-or-later
// A long download against a misbehaving server: stalls, dropped connections, error and empty
// answers. Every article must end with its real body on disk, and nothing outside the task
// folder may be written.
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "demo/sampleblog.h"
#include "download/downloader.h"
#include "download/downloadsteps.h"
#include "download/engine.h"
#include "downloadtesthelpers.h"
#include "services/service.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

TEST(FaultRun, EveryArticleEndsWithItsRealBodyDespiteStallsDropsErrorsAndEmptyAnswers) {
    QTemporaryDir dir;
    const QString programFolder = dir.filePath(u"program"_qs);
    QDir().mkdir(programFolder);
    FixtureServer server;
    ASSERT_TRUE(server.Start());
    Engine engine(programFolder);
    AppState& state = engine.state();
    RunTask(state.StartUp());
    state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());

    sample::SampleOptions options;
    options.articleCount = 300;
    options.categoryCount = 6;
    options.picturesPerArticle = 0;
    options.favouriteCount = 0;
    options.seed = 7;
    const sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    sample::ServeSampleBlog(blog, server);
    server.SetLatency(3);

    state.serviceKind = kSina;
    state.taskName = QStringLiteral("故障博客");
    for (const sample::SampleArticle& article : blog.articles)
        ASSERT_TRUE(
            state.table().AddArticle(article.title, article.category, article.link, article.date));
    state.table().AddArticle(u"坏"_qs, u"分类"_qs, u"../escaped.html"_qs, u"d"_qs);
    state.table().AddArticle(u"坏"_qs, u".."_qs, u"escaped.html"_qs, u"d"_qs);

    const auto address = [&](int i) { return sample::ArticlePageAddress(blog.articles[i]); };
    for (int i : {17, 140, 260})
        server.FailFirst(address(i), 1, FixtureServer::Fault::Stall);
    for (int i = 0; i < 12; ++i) {
        server.FailFirst(address(3 + i * 23), 1 + i % 2, FixtureServer::Fault::Drop);
        server.FailFirst(address(5 + i * 23), 1 + i % 3, FixtureServer::Fault::Error, 500);
        server.FailFirst(address(9 + i * 23), 1 + i % 3, FixtureServer::Fault::Empty);
    }

    QElapsedTimer clock;
    clock.start();
    RunTask(DownloadArticles(state), 60'000);
    EXPECT_LT(clock.elapsed(), 60'000);
    // The two rows that would leave the task folder are the only failures.
    EXPECT_EQ(state.Caption(), u"下载结束：文章成功300篇，失败2篇；图片成功0张，失败0张");

    const SiteProfile* sina = Profile(kSina);
    const TaskPaths paths{programFolder, state.taskName};
    const QMap<QString, LoopbackServer::Response> pages = sample::SamplePages(blog);
    for (int i = 0; i < int(blog.articles.size()); ++i) {
        const sample::SampleArticle& article = blog.articles[i];
        EXPECT_EQ(state.table().Cell(i + 1, ArticleTable::Mark), kMarkDone) << i;
        const QString page = QString::fromUtf8(pages.value(address(i)).body);
        const QString body = CutBetween(page, sina->BodyStart, sina->BodyEnd, 10);
        ASSERT_FALSE(body.startsWith(kNotFoundPrefix));
        EXPECT_EQ(ReadBytes(paths.ArticleFile(article.category, article.link)),
                  EncodeCp936(body + u"\r\n"))
            << "article " << i;
    }
    // The stalled ones were asked again; the others no more often than their faults need.
    for (int i : {17, 140, 260})
        EXPECT_EQ(server.RequestCount(address(i)), 2) << i;
    EXPECT_EQ(server.RequestCount(address(9 + 2 * 23)), 4);

    const QStringList files = FilesBelow(dir.path());
    for (const QString& file : files)
        EXPECT_TRUE(file == u"program/log.log" || file.startsWith(u"program/故障博客/"))
            << file.toStdString();
    EXPECT_EQ(LogMessages(programFolder).filter(u"路径越出任务文件夹"_qs).size(), 2);
}
