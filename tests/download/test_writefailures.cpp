// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads into a full disk and a read-only folder: the run stops with the path and the
// reason, and nothing is counted done that is not on disk whole.
#include "core/filenames.h"
#include "download/downloader.h"
#include "download/downloadsteps.h"
#include "download/engine.h"
#include "downloadtesthelpers.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"
#include "support/scopedtmpfs.h"

#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

QString Body(int row) {
    // About 8 KB in code page 936.
    return u"<p>" + QString::number(row) + QString(4000, QChar(u'文')) + u"</p>";
}

struct WriteFailure : ::testing::Test {
    // A Sina task of `count` articles whose program folder lies on the tmpfs.
    Outcome Download(const ScopedTmpfs& disk, int count) {
        EXPECT_TRUE(server.Start());
        engine = std::make_unique<Engine>(disk.Path());
        AppState& state = engine->state();
        RunTask(state.StartUp());
        state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
        state.serviceKind = kSina;
        state.taskName = QStringLiteral("满盘");
        for (int row = 1; row <= count; ++row) {
            const QString link = u"blog_" + QString::number(row) + u".html";
            state.table().AddArticle(u"标题"_qs, u"生活"_qs, link, u"2011-08-21"_qs);
            server.SetPage(u"http://blog.sina.com.cn/s/" + link,
                           (u"<!-- 正文开始 -->" + Body(row) + u"<!-- 正文结束 -->").toUtf8());
        }
        return RunTask(DownloadArticles(state), 30'000);
    }

    FixtureServer server;
    std::unique_ptr<Engine> engine;
};

} // namespace

TEST_F(WriteFailure, AFullDiskStopsTheRunAndCountsOnlyWholePagesDone) {
    ScopedTmpfs disk(160 * 1024, false);
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const Outcome outcome = Download(disk, 40);
    AppState& state = engine->state();
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.problem.startsWith(u"写入失败，下载已停止：" + disk.Path()))
        << outcome.problem.toStdString();
    EXPECT_TRUE(outcome.problem.endsWith(u"No space left on device"))
        << outcome.problem.toStdString();
    EXPECT_EQ(state.Caption(), outcome.problem);
    EXPECT_LT(outcome.articlesSaved, 40);
    const TaskPaths paths{disk.Path(), state.taskName};
    int done = 0;
    for (int row = 1; row <= 40; ++row) {
        if (state.table().Cell(row, ArticleTable::Mark) != kMarkDone)
            continue;
        ++done;
        EXPECT_EQ(
            ReadBytes(paths.ArticleFile(u"生活"_qs, state.table().Cell(row, ArticleTable::Link))),
            EncodeCp936(Body(row) + u"\r\n"))
            << row;
    }
    EXPECT_EQ(done, outcome.articlesSaved);
    for (const QString& file : FilesBelow(disk.Path()))
        EXPECT_GT(QFileInfo(disk.Path() + u'/' + file).size(), 0) << file.toStdString();
}

TEST_F(WriteFailure, AReadOnlyFolderStopsBeforeAnyRequestWithTheSystemsReason) {
    ScopedTmpfs disk(64 * 1024, true);
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const Outcome outcome = Download(disk, 6);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.problem.startsWith(u"写入失败，下载已停止：" + disk.Path()));
    EXPECT_TRUE(outcome.problem.contains(u"Read-only"_qs)) << outcome.problem.toStdString();
    EXPECT_TRUE(outcome.path.isEmpty());
    EXPECT_EQ(outcome.articlesSaved, 0);
    EXPECT_EQ(server.TotalRequests(), 0);
}
