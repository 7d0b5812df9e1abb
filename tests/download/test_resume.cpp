// SPDX-License-Identifier: GPL-3.0-or-later
// A download that ends in the middle (the process killed after some pages were written,
// their pictures still queued) and is run again ends with the same files as one that was
// never interrupted.
#include "core/filenames.h"
#include "demo/sampleblog.h"
#include "download/articlepage.h"
#include "download/downloader.h"
#include "download/engine.h"
#include "downloadtesthelpers.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

class Resume : public ::testing::Test {
  protected:
    Resume() {
        server.Start();
        sample::SampleOptions options;
        options.articleCount = 12;
        options.categoryCount = 2;
        options.favouriteCount = 0;
        options.picturesPerArticle = 2;
        blog = sample::GenerateSampleBlog(options);
        sample::ServeSampleBlog(blog, server);
    }

    // An engine as a new process has it, with the task loaded.
    std::unique_ptr<Engine> NewProcess(const QString& programFolder) {
        auto engine = std::make_unique<Engine>(programFolder);
        AppState& state = engine->state();
        RunTask(state.StartUp());
        state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
        state.serviceKind = kSina;
        state.taskName = QStringLiteral("续传");
        state.savePictures = true;
        for (const sample::SampleArticle& article : blog.articles)
            state.table().AddArticle(article.title, article.category, article.link, article.date);
        return engine;
    }

    // Every file of the task folder but the dated top index, with its bytes.
    QMap<QString, QByteArray> TaskFiles(const QString& programFolder) {
        const QString folder = programFolder + u"/续传";
        QMap<QString, QByteArray> files;
        for (const QString& name : FilesBelow(folder))
            if (name != u"index.html")
                files.insert(name, ReadBytes(folder + u'/' + name));
        return files;
    }

    FixtureServer server;
    sample::SampleBlog blog;
};

} // namespace

TEST_F(Resume, PicturesQueuedWhenTheProcessEndedAreFetchedByTheNextRun) {
    QTemporaryDir whole;
    ASSERT_TRUE(RunTask(DownloadArticles(NewProcess(whole.path())->state()), 30'000).ok);

    QTemporaryDir cut;
    {
        // The first eight pages written, their pictures queued, then the process ends.
        auto engine = NewProcess(cut.path());
        AppState& state = engine->state();
        QDir().mkdir(cut.filePath(u"续传"_qs));
        const auto pages = sample::SamplePages(blog);
        for (int row = 1; row <= 8; ++row)
            ProcessArticlePage(
                state,
                QString::fromUtf8(
                    pages.value(sample::ArticlePageAddress(blog.articles[row - 1])).body),
                row);
        ASSERT_GT(state.statusLog().Count(), 0);
    }
    const Outcome rerun = RunTask(DownloadArticles(NewProcess(cut.path())->state()), 30'000);
    EXPECT_TRUE(rerun.ok);
    EXPECT_EQ(rerun.picturesFailed, 0);
    const QMap<QString, QByteArray> expected = TaskFiles(whole.path());
    EXPECT_EQ(TaskFiles(cut.path()), expected);
    EXPECT_GT(expected.size(), 12 * 3);
    EXPECT_FALSE(QFileInfo::exists(cut.filePath(u"续传.pictures"_qs)));
}
