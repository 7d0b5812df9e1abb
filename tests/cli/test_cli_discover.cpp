// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"
#include "cli/command.h"
#include "clirunner.h"
#include "core/appstate.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "demo/sampleblog.h"
#include "demo/samplemarkup.h"
#include "discovery/discovery.h"
#include "services/blogaddress.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

namespace pellomar {
namespace {

using sample::SampleBlog;

// title, category, link, date, ordinal of every row a discovery of the blog gives.
QList<QStringList> ExpectedRows(const SampleBlog& blog) {
    QList<QStringList> rows;
    QHash<QString, int> counts;
    QSet<QString> seen;
    auto add = [&](const sample::SampleArticle& article, const QString& category) {
        rows.append({SafeFileName(sample::EscapeHtml(article.title)), category, article.link,
                     article.date, QString::number(++counts[category])});
    };
    for (const sample::SampleCategory& category : blog.categories)
        for (const sample::SampleArticle& article : sample::CategoryListing(blog, category)) {
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

// The rows of a task file, read back as "导入" reads it.
QList<QStringList> ImportedRows(const QString& path, AppState& state) {
    QList<QStringList> rows;
    if (!test::RunTask(ImportTask(state, path)))
        return rows;
    for (int row = 1; row <= state.table().ArticleCount(); ++row) {
        QStringList cells;
        for (int column = ArticleTable::Title; column <= ArticleTable::Ordinal; ++column)
            cells << state.table().Cell(row, column);
        rows.append(cells);
    }
    return rows;
}

class CliDiscoverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        proxy.emplace(server);
    }

    SampleBlog ServeBlog() {
        sample::SampleOptions options;
        options.articleCount = 75;
        options.categoryCount = 2;
        options.uncategorisedCount = 4;
        options.favouriteCount = 2;
        options.menuShape = sample::MenuShape::Real;
        const SampleBlog blog = sample::GenerateSampleBlog(options);
        sample::ServeSampleBlog(blog, server);
        return blog;
    }

    int Run(const QStringList& arguments) { return cli.Run(arguments, 30'000); }
    QString Out() const { return cli.Out(); }
    QString Err() const { return cli.Err(); }
    QString Dir() const { return folder.path(); }
    // A cookies file outside the program folder.
    QString WriteCookies(const QByteArray& text) {
        QFile file(cookiesFolder.filePath(QStringLiteral("cookies.txt")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        return file.fileName();
    }

    QTemporaryDir folder;
    QTemporaryDir cookiesFolder;
    test::FixtureServer server;
    std::optional<test::ScopedProxyEnv> proxy;
    test::CliRunner cli;
};

TEST_F(CliDiscoverTest, DiscoverSinaSavesEveryArticleOfTheBlogInNameIni) {
    const SampleBlog blog = ServeBlog();
    ASSERT_EQ(Run({QStringLiteral("--dir"), Dir(), QStringLiteral("discover"),
                   QStringLiteral("sina"), QStringLiteral("青衫"), sample::FirstPageAddress(blog)}),
              cli::kDone)
        << Err().toStdString();

    const QString path = folder.filePath(QStringLiteral("青衫.ini"));
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(Out(), path + u'\n');
    EXPECT_TRUE(Err().contains(u"查找列表页：")) << Err().toStdString();
    EXPECT_FALSE(Err().contains(u"按“下载”开始下载")) << "no button to press on a terminal";

    AppState reader(Dir());
    EXPECT_EQ(ImportedRows(path, reader), ExpectedRows(blog));
    EXPECT_EQ(reader.serviceKind, kSina);
    EXPECT_EQ(reader.blogAddress, sample::FirstPageAddress(blog));
    EXPECT_TRUE(reader.savePictures);
}

TEST_F(CliDiscoverTest, QuietPrintsNoProgressAndNoPicturesClearsTheFlag) {
    const SampleBlog blog = ServeBlog();
    ASSERT_EQ(Run({QStringLiteral("discover"), QStringLiteral("--quiet"), QStringLiteral("新浪"),
                   QStringLiteral("n"), sample::FirstPageAddress(blog),
                   QStringLiteral("--no-pictures"), QStringLiteral("--dir=") + Dir()}),
              cli::kDone);
    EXPECT_EQ(Err(), QString());
    AppState reader(Dir());
    EXPECT_EQ(ImportedRows(folder.filePath(QStringLiteral("n.ini")), reader).size(), 75 + 2);
    EXPECT_FALSE(reader.savePictures);
}

TEST_F(CliDiscoverTest, NothingFoundExitsWithOneAndTheNotFoundLineAndWritesNoFile) {
    server.AnswerError(QStringLiteral("http://blog.sina.com.cn/s/articlelist_9_0_1.html"), 500,
                       "<html>busy</html>");
    EXPECT_EQ(Run({QStringLiteral("--dir"), Dir(), QStringLiteral("discover"),
                   QStringLiteral("sina"), QStringLiteral("n"),
                   QStringLiteral("http://blog.sina.com.cn/s/articlelist_9_0_1.html")}),
              cli::kNothingDone);
    EXPECT_TRUE(Err().contains(kNoArticlesFound)) << Err().toStdString();
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("n.ini"))));
}

TEST_F(CliDiscoverTest, OtherServicesAskTheAddressBuiltFromTheName) {
    for (const auto& [service, kind] :
         {std::pair{QStringLiteral("baidu"), kBaidu}, std::pair{QStringLiteral("和讯"), kHexun},
          std::pair{QStringLiteral("NetEase"), kNetEase},
          std::pair{QStringLiteral("搜狐"), kSohu}}) {
        const QString address = *GeneratedBlogAddress(kind, QStringLiteral("someone"));
        EXPECT_EQ(Run({QStringLiteral("--dir"), Dir(), QStringLiteral("discover"), service,
                       QStringLiteral("someone")}),
                  cli::kNothingDone)
            << service.toStdString();
        EXPECT_EQ(server.RequestCount(address), 1) << address.toStdString();
    }
}

// main() makes the QGuiApplication the browser runs in for these command lines only.
TEST(CliNeedsBrowser, OnlyACommandTakingASohuOrNetEaseService) {
    const std::pair<const char*, bool> cases[] = {{"discover sohu n", true},
                                                  {"--dir d backup --per-page 5 网易 n", true},
                                                  {"discover baidu n", false},
                                                  {"download sohu.ini", false},
                                                  {"txt sohu", false},
                                                  {"discover --help sohu", false},
                                                  {"--bogus discover sohu", false}};
    for (const auto& [line, needs] : cases)
        EXPECT_EQ(
            cli::NeedsBrowser(QString(u"pellomar-cli " + QString::fromUtf8(line)).split(u' ')),
            needs)
            << line;
}

TEST_F(CliDiscoverTest, BadUsageExitsWithTwoAndTouchesNothing) {
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("--bogus"), QStringLiteral("discover")},
        {QStringLiteral("discover")},
        {QStringLiteral("discover"), QStringLiteral("sina"), QStringLiteral("n")},
        {QStringLiteral("discover"), QStringLiteral("myspace"), QStringLiteral("n")},
        {QStringLiteral("discover"), QStringLiteral("baidu"), QStringLiteral("a/b")},
        {QStringLiteral("discover"), QStringLiteral("baidu"), QStringLiteral("n"),
         QStringLiteral("x"), QStringLiteral("y")},
        {QStringLiteral("discover"), QStringLiteral("--colour"), QStringLiteral("baidu"),
         QStringLiteral("n")},
        {QStringLiteral("discover"), QStringLiteral("baidu"), QStringLiteral("n"),
         QStringLiteral("--dir")},
    };
    for (const QStringList& arguments : cases) {
        EXPECT_EQ(Run(QStringList{QStringLiteral("--dir"), Dir()} + arguments), cli::kBadUsage)
            << arguments.join(u' ').toStdString();
        EXPECT_FALSE(Err().isEmpty());
    }
    EXPECT_EQ(server.TotalRequests(), 0);
    EXPECT_TRUE(QDir(Dir()).isEmpty());
}

TEST_F(CliDiscoverTest, CookiesFileWithoutABlogLoginExitsWithTwoAndTouchesNothing) {
    const QList<std::pair<QByteArray, QStringList>> cases = {
        {".example.com\tTRUE\t/\tFALSE\t0\tID\tsecret\n", {}},
        {".sina.com.cn\tTRUE\t/\tFALSE\t1000\tSUB\tsecret\n",
         {u"cookies文件里有1个过期的cookie，已跳过"_qs}},
        {"# Netscape HTTP Cookie File\n.sina.com.cn secret\n",
         {u"cookies文件第2行不是cookie，已跳过"_qs}},
    };
    for (const auto& [text, lines] : cases) {
        const QString path = WriteCookies(text);
        EXPECT_EQ(Run({QStringLiteral("--dir"), Dir(), QStringLiteral("--cookies"), path,
                       QStringLiteral("discover"), QStringLiteral("sina"), QStringLiteral("n")}),
                  cli::kBadUsage);
        EXPECT_EQ(Err(),
                  (lines + QStringList{u"cookies文件里没有新浪等博客网站的cookie："_qs + path})
                          .join(u'\n') +
                      u'\n');
    }
    const QString missing = Dir() + u"-none.txt";
    EXPECT_EQ(Run({QStringLiteral("--dir"), Dir(), QStringLiteral("--cookies=") + missing,
                   QStringLiteral("demo")}),
              cli::kBadUsage);
    EXPECT_EQ(Err(), u"无法读取cookies文件："_qs + missing + u'\n');
    EXPECT_EQ(server.TotalRequests(), 0);
    EXPECT_TRUE(QDir(Dir()).isEmpty());
}

TEST_F(CliDiscoverTest, CookiesFileLoginGoesWithTheRequests) {
    const SampleBlog blog = ServeBlog();
    ASSERT_EQ(Run({QStringLiteral("--dir"), Dir(), QStringLiteral("--cookies"),
                   WriteCookies(".sina.com.cn\tTRUE\t/\tFALSE\t0\tSUB\tlogin\n"),
                   QStringLiteral("discover"), QStringLiteral("sina"), QStringLiteral("n"),
                   sample::FirstPageAddress(blog)}),
              cli::kDone);
    ASSERT_TRUE(server.LastRequest());
    EXPECT_EQ(server.LastRequest()->headers.value("cookie"), "SUB=login");
}

TEST_F(CliDiscoverTest, HelpListsTheCommandsAndEachCommandsUsage) {
    EXPECT_EQ(Run({QStringLiteral("--help")}), cli::kDone);
    for (const cli::Command* command : cli::Commands())
        EXPECT_TRUE(Out().contains(u"\n  " + command->name)) << command->name.toStdString();
    EXPECT_TRUE(Out().contains(u"--dir 文件夹"));
    EXPECT_EQ(Run({QStringLiteral("discover"), QStringLiteral("--help")}), cli::kDone);
    EXPECT_TRUE(Out().startsWith(u"用法：pellomar-cli")) << Out().toStdString();
    EXPECT_TRUE(Out().contains(u"sohu"));
}

// The program itself, as a user runs it.
class CliProgramTest : public CliDiscoverTest {
  protected:
    QString Program() const {
        return QCoreApplication::applicationDirPath() + u"/../src/pellomar-cli";
    }

    // Waits on the event loop: the fixture server answers from this thread.
    int RunProgram(const QStringList& arguments) {
        QProcess process;
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
        process.start(Program(), arguments);
        loop.exec();
        errText = QString::fromUtf8(process.readAllStandardError());
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString errText;
};

TEST_F(CliProgramTest, ProgramDiscoversThroughTheProxyAndReportsItsExitStatus) {
    ASSERT_TRUE(QFile::exists(Program())) << "build pellomar-cli first";
    const SampleBlog blog = ServeBlog();
    EXPECT_EQ(
        RunProgram({QStringLiteral("--dir"), Dir(), QStringLiteral("discover"),
                    QStringLiteral("sina"), QStringLiteral("n"), sample::FirstPageAddress(blog)}),
        0)
        << errText.toStdString();
    AppState reader(Dir());
    EXPECT_EQ(ImportedRows(folder.filePath(QStringLiteral("n.ini")), reader), ExpectedRows(blog));

    EXPECT_EQ(RunProgram({QStringLiteral("--dir"), Dir(), QStringLiteral("discover"),
                          QStringLiteral("sina"), QStringLiteral("m"),
                          QStringLiteral("http://blog.sina.com.cn/s/articlelist_5_0_1.html")}),
              1);
    EXPECT_TRUE(errText.contains(kNoArticlesFound));
    EXPECT_EQ(RunProgram({QStringLiteral("--dir"), Dir(), QStringLiteral("discover"),
                          QStringLiteral("sina"), QStringLiteral("m")}),
              2);
    EXPECT_EQ(RunProgram({QStringLiteral("--help")}), 0);
}

} // namespace
} // namespace pellomar
