// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"
#include "cli/command.h"
#include "clirunner.h"
#include "core/appstate.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "demo/sampleblog.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace pellomar {
namespace {

class CliDownloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        proxy.emplace(server);
    }

    // Serves a blog and saves its task file through discover; returns the task file.
    QString DiscoveredTask(int articles, int picturesPerArticle, const QString& name) {
        sample::SampleOptions options;
        options.articleCount = articles;
        options.categoryCount = 2;
        options.favouriteCount = 0;
        options.picturesPerArticle = picturesPerArticle;
        blog = sample::GenerateSampleBlog(options);
        sample::ServeSampleBlog(blog, server);
        EXPECT_EQ(Run({QStringLiteral("discover"), QStringLiteral("sina"), name,
                       sample::FirstPageAddress(blog)}),
                  cli::kDone)
            << Err().toStdString();
        server.ResetCounts();
        return folder.filePath(name + u".ini");
    }

    int Run(const QStringList& arguments) {
        return cli.Run(QStringList{QStringLiteral("--dir"), folder.path()} + arguments, 60'000);
    }
    QString Out() const { return cli.Out(); }
    QString Err() const { return cli.Err(); }
    // The task as the task file holds it.
    void Import(const QString& taskFile, AppState& state) {
        ASSERT_TRUE(test::RunTask(ImportTask(state, taskFile)));
    }
    QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    test::FixtureServer server;
    std::optional<test::ScopedProxyEnv> proxy;
    test::CliRunner cli;
    sample::SampleBlog blog;
};

TEST_F(CliDownloadTest, DownloadsEveryArticleAndPictureAndPrintsTheTaskFolder) {
    const QString taskFile = DiscoveredTask(30, 1, QStringLiteral("青衫"));
    ASSERT_EQ(Run({QStringLiteral("download"), taskFile}), cli::kDone) << Err().toStdString();
    const QString taskFolder = folder.filePath(QStringLiteral("青衫"));
    EXPECT_EQ(Out(), taskFolder + u'\n');
    EXPECT_TRUE(Err().contains(u"下载文章：")) << Err().toStdString();
    EXPECT_FALSE(Err().contains(u"请用软件打包成CHM")) << "no button to press on a terminal";

    AppState state(folder.path());
    Import(taskFile, state);
    const TaskPaths paths{folder.path(), state.taskName};
    for (int row = 1; row <= state.table().ArticleCount(); ++row)
        EXPECT_TRUE(QFile::exists(paths.ArticleFile(state.table().Cell(row, ArticleTable::Category),
                                                    state.table().Cell(row, ArticleTable::Link))))
            << row;
    // The command waits for the last pictures before it ends.
    for (const sample::SampleArticle& article : blog.articles)
        for (const QString& picture : article.pictures) {
            const QString category = article.category.isEmpty() ? u"全部博文"_qs : article.category;
            EXPECT_EQ(Read(paths.PictureFile(category, picture)), server.Page(picture)->body)
                << picture.toStdString();
        }
    EXPECT_TRUE(QFile::exists(paths.InTaskFolder(QStringLiteral("index.html"))));

    // A second run fetches rows 1 to 5 again and nothing else.
    ASSERT_EQ(Run({QStringLiteral("download"), QStringLiteral("--no-pictures"), taskFile}),
              cli::kDone);
    EXPECT_EQ(server.TotalRequests(), 30 + int(blog.articles.size()) + 5);
}

TEST_F(CliDownloadTest, PerPageAndNoPicturesAreApplied) {
    const QString taskFile = DiscoveredTask(20, 1, QStringLiteral("n"));
    ASSERT_EQ(Run({QStringLiteral("download"), QStringLiteral("--per-page"), QStringLiteral("3"),
                   QStringLiteral("--no-pictures"), taskFile}),
              cli::kDone)
        << Err().toStdString();
    AppState state(folder.path());
    Import(taskFile, state);
    const TaskPaths paths{folder.path(), state.taskName};
    const QString category = state.table().Categories().names[0];
    const int count = state.table().Categories().counts[0];
    const int pages = (count + 2) / 3;
    ASSERT_GT(pages, 1);
    EXPECT_TRUE(QFile::exists(
        paths.InTaskFolder(SafeFileName(category) + QString::number(pages) + u".htm")));
    EXPECT_FALSE(QFile::exists(
        paths.InTaskFolder(SafeFileName(category) + QString::number(pages + 1) + u".htm")));
    const QByteArray page = Read(paths.ArticleFile(state.table().Cell(1, ArticleTable::Category),
                                                   state.table().Cell(1, ArticleTable::Link)));
    EXPECT_TRUE(page.contains("real_src")) << "pictures were localised";
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("log.log"))));
}

TEST_F(CliDownloadTest, TooFewArticlesExitWithOneAndTheMessage) {
    const QString taskFile = DiscoveredTask(4, 0, QStringLiteral("few"));
    EXPECT_EQ(Run({QStringLiteral("download"), taskFile}), cli::kNothingDone);
    EXPECT_TRUE(Err().contains(u"很遗憾没有找到文章(或者文章少于5篇)")) << Err().toStdString();
    EXPECT_EQ(server.TotalRequests(), 0);
}

TEST_F(CliDownloadTest, AnArticleThatCannotBeFetchedIsNamedCountedAndExitsWithOne) {
    const QString taskFile = DiscoveredTask(8, 0, QStringLiteral("lost"));
    const sample::SampleArticle& lost = blog.articles[2];
    server.Drop(sample::ArticlePageAddress(lost));
    EXPECT_EQ(Run({QStringLiteral("download"), taskFile}), cli::kNothingDone);
    EXPECT_TRUE(Err().contains(u"下载结束：文章成功7篇，失败1篇；图片成功0张，失败0张"))
        << Err().toStdString();
    EXPECT_TRUE(Err().contains(u"文章下载失败：")) << Err().toStdString();
    EXPECT_TRUE(Err().contains(sample::ArticlePageAddress(lost))) << Err().toStdString();
    EXPECT_FALSE(Out().contains(u"lost")) << Out().toStdString();
}

TEST_F(CliDownloadTest, ABareTaskFileNameIsFoundInTheProgramFolder) {
    DiscoveredTask(6, 0, QStringLiteral("bare"));
    ASSERT_FALSE(QFileInfo::exists(QStringLiteral("bare.ini")));
    EXPECT_EQ(Run({QStringLiteral("download"), QStringLiteral("bare.ini")}), cli::kDone)
        << Err().toStdString();
    EXPECT_EQ(Out().trimmed(), folder.filePath(u"bare"_qs));
}

TEST_F(CliDownloadTest, VersionIsTheProgramsDateNumber) {
    EXPECT_EQ(Run({QStringLiteral("--version")}), cli::kDone);
    EXPECT_EQ(Out().trimmed(), u"pellomar-cli 20110821");
}

TEST_F(CliDownloadTest, BadUsageExitsWithTwo) {
    const QList<QStringList> cases = {
        {QStringLiteral("download")},
        {QStringLiteral("download"), QStringLiteral("a.ini"), QStringLiteral("b.ini")},
        {QStringLiteral("download"), QStringLiteral("a.ini"), QStringLiteral("--per-page"),
         QStringLiteral("0")},
        {QStringLiteral("download"), QStringLiteral("a.ini"), QStringLiteral("--per-page=256")},
        {QStringLiteral("download"), QStringLiteral("a.ini"), QStringLiteral("--per-page")},
        {QStringLiteral("download"), QStringLiteral("--fast"), QStringLiteral("a.ini")},
    };
    for (const QStringList& arguments : cases) {
        EXPECT_EQ(Run(arguments), cli::kBadUsage) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(Err().contains(u"用法：")) << arguments.join(u' ').toStdString();
    }
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

} // namespace
} // namespace pellomar
