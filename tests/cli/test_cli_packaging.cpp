// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"
#include "cli/command.h"
#include "clirunner.h"
#include "core/appstate.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "demo/sampleblog.h"
#include "platform/textstream.h"
#include "support/baiduhexunblogs.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace pellomar {
namespace {

class CliPackagingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        proxy.emplace(server);
        sample::SampleOptions options;
        options.articleCount = 12;
        options.categoryCount = 2;
        options.favouriteCount = 0;
        options.picturesPerArticle = 1;
        blog = sample::GenerateSampleBlog(options);
        sample::ServeSampleBlog(blog, server);
    }

    static bool HaveChmcmd() {
        return !QStandardPaths::findExecutable(QStringLiteral("chmcmd")).isEmpty();
    }

    int Run(const QStringList& arguments) {
        return cli.Run(QStringList{QStringLiteral("--dir"), folder.path()} + arguments, 120'000);
    }
    QString Out() const { return cli.Out(); }
    QString Err() const { return cli.Err(); }
    QString Path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    test::FixtureServer server;
    std::optional<test::ScopedProxyEnv> proxy;
    test::CliRunner cli;
    sample::SampleBlog blog;
};

TEST_F(CliPackagingTest, BackupDiscoversDownloadsAndPacks) {
    QStringList arguments = {QStringLiteral("backup"),      QStringLiteral("--epub"),
                             QStringLiteral("--txt"),       QStringLiteral("--markdown"),
                             QStringLiteral("sina"),        QStringLiteral("小园"),
                             sample::FirstPageAddress(blog)};
    if (HaveChmcmd())
        arguments.insert(1, QStringLiteral("--chm"));
    ASSERT_EQ(Run(arguments), cli::kDone) << Err().toStdString();

    QStringList expected = {Path(QStringLiteral("小园.ini")), Path(QStringLiteral("小园"))};
    if (HaveChmcmd())
        expected << Path(QStringLiteral("小园.chm"));
    expected << Path(QStringLiteral("小园TXT")) << Path(QStringLiteral("小园.epub"))
             << Path(QStringLiteral("小园MD"));
    EXPECT_EQ(Out(), expected.join(u'\n') + u'\n');
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("小园/index.html"))).isFile());
    if (HaveChmcmd()) {
        EXPECT_GT(QFileInfo(Path(QStringLiteral("小园.chm"))).size(), 0);
        EXPECT_TRUE(Err().contains(u"打包CHM..."));
    }
    EXPECT_TRUE(Err().contains(u"转换TXT：12/12")) << Err().toStdString();
    EXPECT_FALSE(QDir(Path(QStringLiteral("小园TXT")))
                     .entryList({QStringLiteral("all*.txt")}, QDir::Files)
                     .isEmpty());
}

TEST_F(CliPackagingTest, PackingRefusesATaskThatIsNotDownloaded) {
    ASSERT_EQ(Run({QStringLiteral("discover"), QStringLiteral("sina"), QStringLiteral("n"),
                   sample::FirstPageAddress(blog)}),
              cli::kDone)
        << Err().toStdString();
    const QString taskFile = Path(QStringLiteral("n.ini"));
    for (const QString& command : {QStringLiteral("chm"), QStringLiteral("txt"),
                                   QStringLiteral("epub"), QStringLiteral("markdown")}) {
        EXPECT_EQ(Run({command, taskFile}), cli::kNothingDone) << command.toStdString();
        EXPECT_TRUE(Err().contains(u"还没有下载")) << Err().toStdString();
        EXPECT_TRUE(Out().isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("n.chm"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("nTXT"))));

    // Once downloaded, both work on the same task file.
    ASSERT_EQ(Run({QStringLiteral("download"), taskFile}), cli::kDone) << Err().toStdString();
    EXPECT_EQ(Run({QStringLiteral("txt"), taskFile}), cli::kDone) << Err().toStdString();
    EXPECT_EQ(Out(), Path(QStringLiteral("nTXT")) + u'\n');
    EXPECT_EQ(Run({QStringLiteral("epub"), taskFile}), cli::kDone) << Err().toStdString();
    EXPECT_EQ(Out(), Path(QStringLiteral("n.epub")) + u'\n');
    EXPECT_EQ(Run({QStringLiteral("markdown"), taskFile}), cli::kDone) << Err().toStdString();
    EXPECT_EQ(Out(), Path(QStringLiteral("nMD")) + u'\n');
    if (!HaveChmcmd())
        GTEST_SKIP() << "chm needs chmcmd (fp-utils)";
    EXPECT_EQ(Run({QStringLiteral("chm"), taskFile}), cli::kDone) << Err().toStdString();
    EXPECT_EQ(Out(), Path(QStringLiteral("n.chm")) + u'\n');
}

TEST_F(CliPackagingTest, AFailedCompileExitsWithOneAndSaysWhy) {
    ASSERT_EQ(Run({QStringLiteral("backup"), QStringLiteral("sina"), QStringLiteral("m"),
                   sample::FirstPageAddress(blog)}),
              cli::kDone)
        << Err().toStdString();
    qputenv("PELLOMAR_CHMCMD", "/bin/false");
    const int status = Run({QStringLiteral("chm"), Path(QStringLiteral("m.ini"))});
    qunsetenv("PELLOMAR_CHMCMD");
    EXPECT_EQ(status, cli::kNothingDone);
    EXPECT_TRUE(Err().contains(u"打包CHM失败：")) << Err().toStdString();
    EXPECT_FALSE(Err().contains(u"打包CHM成功！"));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("m.chm"))));
}

TEST_F(CliPackagingTest, BadUsageExitsWithTwo) {
    const QList<QStringList> cases = {
        {QStringLiteral("chm")},
        {QStringLiteral("txt"), QStringLiteral("a.ini"), QStringLiteral("b.ini")},
        {QStringLiteral("backup"), QStringLiteral("sina")},
        {QStringLiteral("backup"), QStringLiteral("myspace"), QStringLiteral("x")},
        {QStringLiteral("backup"), QStringLiteral("--zip"), QStringLiteral("sina"),
         QStringLiteral("x")},
    };
    for (const QStringList& arguments : cases) {
        EXPECT_EQ(Run(arguments), cli::kBadUsage) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(Err().contains(u"用法：")) << arguments.join(u' ').toStdString();
    }
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

// Blogs whose address is built from the account name, backed up step by step.
class CliBaiduHexunTest : public CliPackagingTest {
  protected:
    QByteArray Read(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString ReadText(const QString& path) const {
        return DecodeBytes(Read(path), QStringLiteral("GB2312"));
    }

    void BackUp(const QString& service, const test::FixtureBlog& blog) {
        test::ServeBlog(blog, server);
        const QString taskFile = Path(blog.account + u".ini");
        ASSERT_EQ(Run({QStringLiteral("discover"), service, blog.account}), cli::kDone)
            << Err().toStdString();
        EXPECT_TRUE(Err().contains(u"查找列表页：3/3")) << Err().toStdString();
        AppState task(folder.path());
        ASSERT_TRUE(test::RunTask(ImportTask(task, taskFile)));
        const QList<QStringList> expected = test::ExpectedRows(blog);
        ASSERT_EQ(task.table().ArticleCount(), expected.size());
        for (int row = 1; row <= task.table().ArticleCount(); ++row)
            for (int column = ArticleTable::Title; column <= ArticleTable::Ordinal; ++column)
                EXPECT_EQ(task.table().Cell(row, column), expected[row - 1][column - 1]);

        ASSERT_EQ(Run({QStringLiteral("download"), taskFile}), cli::kDone) << Err().toStdString();
        const TaskPaths paths{folder.path(), blog.account};
        for (const test::BlogArticle& article : blog.articles)
            EXPECT_TRUE(ReadText(paths.ArticleFile(article.category, article.link))
                            .contains(u"《" + article.title + u"》的正文：镕喆"))
                << article.link.toStdString();

        ASSERT_EQ(Run({QStringLiteral("txt"), taskFile}), cli::kDone) << Err().toStdString();
        const test::BlogArticle& last = blog.articles.last();
        EXPECT_TRUE(ReadText(Path(blog.account + u"TXT/" + SafeFileName(last.category) + u'/' +
                                  SafeFileName(last.title) + u".txt"))
                        .contains(u"的正文：镕喆"));

        if (!HaveChmcmd())
            GTEST_SKIP() << "chm needs chmcmd (fp-utils)";
        ASSERT_EQ(Run({QStringLiteral("chm"), taskFile}), cli::kDone) << Err().toStdString();
        EXPECT_GT(QFileInfo(Path(blog.account + u".chm")).size(), 0);
    }
};

TEST_F(CliBaiduHexunTest, ABaiduSpaceBlogIsBackedUpWithItsCategoriesAndPictures) {
    const test::FixtureBlog blog = test::BaiduBlog(QStringLiteral("lanting"), 23);
    BackUp(QStringLiteral("baidu"), blog);
    const TaskPaths paths{folder.path(), blog.account};
    for (const test::BlogArticle& article : blog.articles)
        for (const QString& picture : article.pictures) {
            EXPECT_EQ(Read(paths.PictureFile(article.category, picture)),
                      server.Page(picture)->body);
            EXPECT_TRUE(Read(paths.ArticleFile(article.category, article.link))
                            .contains(TaskPaths::PictureName(picture).toLatin1()));
        }
}

TEST_F(CliBaiduHexunTest, AHexunBlogIsBackedUpUnderTheDefaultCategory) {
    BackUp(QStringLiteral("和讯"), test::HexunBlog(QStringLiteral("caijing"), 23));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("caijing/默认类别"))).isDir());
}

} // namespace
} // namespace pellomar
