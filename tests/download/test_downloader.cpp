// SPDX-License-Identifier: GPL-3.0-or-later
// Whole download runs against the fixture server.
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "demo/sampleblog.h"
#include "download/downloader.h"
#include "download/downloadsteps.h"
#include "download/engine.h"
#include "downloadtesthelpers.h"
#include "packaging/chmproject.h"
#include "packaging/textexport.h"
#include "platform/eventloop.h"
#include "support/fixtureserver.h"
#include "support/processclock.h"
#include "support/runtask.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace pellomar;
using pellomar::test::CpuSeconds;
using namespace pellomar::test;

namespace {

QString SinaAddress(const QString& link) {
    return u"http://blog.sina.com.cn/s/" + link;
}

QString SinaBody(int n) {
    return u"<p>第" + QString::number(n) + u"篇文章的正文，写得足够长。</p>";
}

QString SinaPage(const QString& body) {
    return u"<html><head><title>博客</title></head><body><!-- 正文开始 -->" + body +
           u"<!-- 正文结束 --><p>版权所有</p></body></html>";
}

class Download : public ::testing::Test {
  protected:
    Download() : engine(dir.path()) {
        server.Start();
        RunTask(state().StartUp());
        state().network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
        state().serviceKind = kSina;
        state().taskName = QStringLiteral("测试博客");
        state().blogAddress = QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html");
        QObject::connect(&state(), &AppState::messageShown, &state(),
                         [this](const QString& text) { messages.append(text); });
    }

    AppState& state() { return engine.state(); }
    ArticleTable& table() { return state().table(); }
    TaskPaths Paths() { return {state().programFolder(), state().taskName}; }
    QString Link(int row) { return table().Cell(row, ArticleTable::Link); }
    QString Mark(int row) { return table().Cell(row, ArticleTable::Mark); }
    QString File(int row) {
        return Paths().ArticleFile(table().Cell(row, ArticleTable::Category), Link(row));
    }

    // Rows 1..count, two categories, each served with its own body.
    void AddArticles(int count) {
        for (int i = 0; i < count; ++i) {
            const int row = table().ArticleCount() + 1;
            const QString link = u"blog_" + QString::number(row) + u".html";
            table().AddArticle(u"标题" + QString::number(row),
                               row % 2 ? QStringLiteral("生活") : QStringLiteral("工作"), link,
                               QStringLiteral("2011-08-21 10:20"));
            server.SetPage(SinaAddress(link), SinaPage(SinaBody(row)).toUtf8());
        }
    }
    int Requests(int row) { return server.RequestCount(SinaAddress(Link(row))); }
    void Run(int timeoutMs = 30'000) { RunTask(DownloadArticles(state()), timeoutMs); }
    void ExpectBody(int row, const QString& body) {
        EXPECT_EQ(ReadBytes(File(row)), EncodeCp936(body + u"\r\n")) << "row " << row;
    }
    void ExpectFinished() {
        EXPECT_EQ(state().Caption(), u"全部完成，请用软件打包成CHM以便浏览");
        const std::array<bool, 6> buttons = {false, false, true, true, true, false};
        EXPECT_EQ(state().Buttons(), buttons);
        for (int row = 1; row <= table().ArticleCount(); ++row)
            EXPECT_EQ(Mark(row), kMarkDone) << "row " << row;
    }
    // Serves the blog, lists its articles, and downloads them with their pictures to the end.
    void DownloadWithPictures(const sample::SampleBlog& blog) {
        sample::ServeSampleBlog(blog, server);
        for (const sample::SampleArticle& article : blog.articles)
            table().AddArticle(article.title, article.category, article.link, article.date);
        state().savePictures = true;
        Run();
        ExpectFinished();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return state().statusLog().Count() == 0 && engine.pictures().Idle(); }, 20'000));
    }

    QTemporaryDir dir;
    FixtureServer server;
    Engine engine;
    QStringList messages;
};

} // namespace

TEST_F(Download, FewerThanFiveArticlesAreRefusedAfterTheResets) {
    AddArticles(4);
    table().SetMark(2, kMarkDone);
    WriteBytes(dir.filePath(kDownloadLogName), "old log");
    state().SetButtons({true, true, false, true, true, true});
    const auto buttons = state().Buttons();
    Run();
    EXPECT_EQ(messages,
              QStringList{u"很遗憾没有找到文章(或者文章少于5篇)，请重新输入用户名后再按“寻找”"_qs});
    EXPECT_TRUE(Mark(2).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(kDownloadLogName)));
    EXPECT_EQ(state().statusLog().Count(), 0);
    EXPECT_EQ(state().Buttons(), buttons);
    EXPECT_FALSE(QFileInfo::exists(Paths().TaskFolder()));
    EXPECT_EQ(server.TotalRequests(), 0);
}

TEST_F(Download, ExactlyFiveArticlesAreFetchedOnceEach) {
    AddArticles(5);
    server.SetLatency(100);
    QStringList captions;
    QObject::connect(&state(), &AppState::captionChanged, &state(),
                     [&](const QString& text) { captions.append(text); });
    Run();
    ExpectFinished();
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(Requests(row), 1) << row;
        ExpectBody(row, SinaBody(row));
        EXPECT_EQ(state().Indicator(row - 1), kMarkDone);
    }
    ASSERT_GE(captions.size(), 2);
    EXPECT_EQ(captions[0], u"正在下载文章..");
    // Before any slot completes there is no row number in the caption.
    EXPECT_EQ(captions[1], u"下载文章：/5 图片剩余:0");
    EXPECT_TRUE(captions.contains(u"下载文章：0/5 图片剩余:0"));
    EXPECT_TRUE(QFileInfo::exists(Paths().InTaskFolder(u"index.html"_qs)));
    EXPECT_EQ(FileLines(Paths().InTaskFolder(u"all.htm"_qs)).size(), 3 + 5);
    EXPECT_TRUE(QFileInfo::exists(Paths().InTaskFolder(u"生活1.htm"_qs)));
}

TEST_F(Download, AResumedDownloadSkipsRowsWhoseFilesExist) {
    AddArticles(30);
    for (int row = 1; row <= 30; ++row)
        if (row != 20)
            WriteBytes(File(row), row == 25 ? "" : "kept from the first run\r\n");
    Run();
    ExpectFinished();
    for (int row = 1; row <= 30; ++row) {
        // An empty file is what a full disk left: it stands for nothing.
        const bool fetched = row <= 5 || row == 20 || row == 25;
        EXPECT_EQ(Requests(row), fetched ? 1 : 0) << row;
        if (fetched)
            ExpectBody(row, SinaBody(row));
        else
            EXPECT_EQ(ReadBytes(File(row)), "kept from the first run\r\n") << row;
    }
}

TEST_F(Download, ASecondDownloadOfATaskInUseIsRefused) {
    AddArticles(6);
    QLockFile other(Paths().TaskFolder() + u".lock");
    ASSERT_TRUE(other.tryLock(0));
    const Outcome refused = RunTask(DownloadArticles(state()));
    EXPECT_EQ(refused.problem, u"任务正在被另一个下载使用：测试博客");
    EXPECT_EQ(messages, QStringList{refused.problem});
    EXPECT_EQ(server.TotalRequests(), 0);
    other.unlock();
    Run();
    ExpectFinished();
}

TEST_F(Download, SideFilesThatAreNoPlainFilesAreNamedInsteadOfBlockingTheTask) {
    AddArticles(6);
    const QString lock = Paths().TaskFolder() + u".lock";
    const QString pictures = Paths().TaskFolder() + u".pictures";
    ASSERT_TRUE(QDir().mkpath(lock));
    ASSERT_EQ(mkfifo(QFile::encodeName(pictures).constData(), 0600), 0);
    const Outcome refused = RunTask(DownloadArticles(state()), 5000);
    EXPECT_EQ(refused.problem, u"任务的附属文件不是普通文件，请删除后重试：" + lock);
    ASSERT_TRUE(QDir().rmdir(lock));
    EXPECT_EQ(RunTask(DownloadArticles(state()), 5000).problem,
              u"任务的附属文件不是普通文件，请删除后重试：" + pictures);
    EXPECT_EQ(server.TotalRequests(), 0);
    QFile::remove(pictures);
    Run();
    ExpectFinished();
}

TEST_F(Download, AStalledSlotIsRestartedAfterFiveTicksWithItsRowRequestedAgain) {
    AddArticles(8);
    state().timer1().setInterval(100); // five ticks in half a second
    server.FailFirst(SinaAddress(Link(2)), 1, FixtureServer::Fault::Stall);
    // Ticks are counted where the restart happens, not where the server sees it, so that a
    // run that ends before the next tick still tells.
    int ticks = 0;
    int ticksAtRetry = -1;
    QObject::connect(&state(), &AppState::timer1Step, &state(), [&] { ++ticks; });
    QStringList row2Marks;
    QObject::connect(&table(), &QAbstractItemModel::dataChanged, &table(),
                     [&](const QModelIndex& from) {
                         if (from.row() != 1 || from.column() != ArticleTable::Mark)
                             return;
                         row2Marks.append(Mark(2));
                         if (row2Marks.size() == 3)
                             ticksAtRetry = ticks;
                     });
    QStringList slot1Symbols;
    QObject::connect(&state(), &AppState::indicatorChanged, &state(),
                     [&](int slot, const QString& text) {
                         if (slot == 1)
                             slot1Symbols.append(text);
                     });
    Run();
    ExpectFinished();
    EXPECT_EQ(Requests(2), 2);
    ExpectBody(2, SinaBody(2));
    EXPECT_GE(ticksAtRetry, 5);
    const QStringList expectedMarks = {QString(), kMarkRequested, QString(), kMarkRequested,
                                       kMarkDone};
    EXPECT_EQ(row2Marks, expectedMarks);
    // The restart steps the indicator (★ → ◆) before the slot completes.
    ASSERT_GE(slot1Symbols.size(), 2);
    EXPECT_EQ(slot1Symbols[0], u"◆");
    EXPECT_EQ(slot1Symbols[1], kMarkDone);
}

TEST_F(Download, ARowThatStallsEveryTimeIsLeftFailedAfterThreeRestarts) {
    AddArticles(7);
    state().timer1().setInterval(10);
    server.Stall(SinaAddress(Link(2)));
    const Outcome outcome = RunTask(DownloadArticles(state()), 30'000);
    EXPECT_EQ(Mark(2), kMarkFailed);
    EXPECT_FALSE(QFileInfo::exists(File(2)));
    EXPECT_EQ(outcome.articlesFailed, 1);
    EXPECT_EQ(Requests(2), 4);
    for (int row : {1, 3, 4, 5, 6, 7})
        ExpectBody(row, SinaBody(row));
}

TEST_F(Download, EmptyAndFailedAnswersAreRetriedAndGivenUpOnTheFourth) {
    AddArticles(12);
    server.AnswerEmpty(SinaAddress(Link(3)));
    server.FailFirst(SinaAddress(Link(7)), 3, FixtureServer::Fault::Error, 500);
    server.FailFirst(SinaAddress(Link(8)), 2, FixtureServer::Fault::Drop);
    server.FailFirst(SinaAddress(Link(9)), 3, FixtureServer::Fault::Empty);
    server.AnswerError(SinaAddress(Link(10)), 404,
                       "<p>gone</p><a href=\"/myblog/htmlsource/blog_notopen.php\">x</a>");
    Run();
    ExpectFinished();
    EXPECT_EQ(Requests(3), 4);
    EXPECT_EQ(ReadCp936(File(3)),
              u"博文已经删除或访问受限...<br><A target=_blank href=http://blog.sina.com.cn/s/"
              u"blog_3.html>点击这里打开源地址</a> <br>  --kavroPellomar。\r\n");
    // Three failures, then the real page on the fourth request.
    EXPECT_EQ(Requests(7), 4);
    ExpectBody(7, SinaBody(7));
    EXPECT_EQ(Requests(8), 3);
    ExpectBody(8, SinaBody(8));
    EXPECT_EQ(Requests(9), 4);
    ExpectBody(9, SinaBody(9));
    // An error page that says the article is gone: the placeholder at once.
    EXPECT_EQ(Requests(10), 1);
    EXPECT_TRUE(ReadCp936(File(10)).startsWith(u"博文已经删除或访问受限..."));
}

TEST_F(Download, WithTheNetworkDownRowsFailWithoutFilesAndPagesOnDiskStayForTheNextRun) {
    AddArticles(8);
    for (int row = 1; row <= 3; ++row)
        WriteBytes(File(row), "kept from the first run\r\n");
    server.Drop(u"http://blog.sina.com.cn/s/*"_qs);
    const Outcome offline = RunTask(DownloadArticles(state()), 30'000);
    EXPECT_FALSE(offline.ok);
    EXPECT_EQ(offline.articlesSaved, 3);
    EXPECT_EQ(offline.articlesFailed, 5);
    EXPECT_EQ(state().Caption(), u"下载结束：文章成功3篇，失败5篇；图片成功0张，失败0张");
    // The failures can be asked again at once.
    EXPECT_EQ(state().Buttons(), buttons::kDownloadedWithFailures);
    EXPECT_EQ(offline.notes.size(), 5);
    EXPECT_TRUE(state().statusLog().Lines().contains(
        u"文章下载失败：8 标题8 http://blog.sina.com.cn/s/blog_8.html"_qs));
    for (int row = 1; row <= 8; ++row) {
        if (row <= 3) {
            EXPECT_EQ(ReadBytes(File(row)), "kept from the first run\r\n") << row;
            continue;
        }
        EXPECT_EQ(Mark(row), kMarkFailed) << row;
        EXPECT_FALSE(QFileInfo::exists(File(row))) << row;
    }

    server.ClearScript();
    const Outcome online = RunTask(DownloadArticles(state()), 30'000);
    EXPECT_TRUE(online.ok);
    ExpectFinished();
    for (int row = 1; row <= 8; ++row)
        ExpectBody(row, SinaBody(row));
}

TEST_F(Download, NetEaseGoneArticlesGetAPlaceholderWithTheirAddress) {
    state().serviceKind = kNetEase;
    state().taskName = QStringLiteral("someone");
    const QString start = QStringLiteral("<div class=\"multicntwrap\">");
    const QString end =
        QStringLiteral("<script type=\"text/javascript\" id=\"wumiiRelatedItems\"></script>");
    for (int row = 1; row <= 6; ++row) {
        const QString link = u"12345678" + QString::number(row) + u"2011.html";
        table().AddArticle(u"标题"_qs, u"网易分类"_qs, link, u"2011-08-21"_qs);
        const QString address = u"http://someone.blog.163.com/blog/static/" + link.chopped(5);
        if (row == 4)
            server.AnswerEmpty(address);
        else
            server.SetPage(
                address,
                EncodeCp936(u"<html>" + start + u"网易的正文，编码是GBK。" + end + u"</html>"),
                "text/html; charset=gbk");
    }
    Run();
    ExpectFinished();
    ExpectBody(1, u"网易的正文，编码是GBK。"_qs);
    EXPECT_EQ(ReadCp936(File(4)),
              u"博文已经删除或访问受限...<br><A target=_blank href=http://someone.blog.163.com/"
              u"blog/static/1234567842011>点击这里打开源地址</a> <br>  —kavroPellomar。\r\n");
}

TEST_F(Download, RowsLeadingOutsideTheTaskFolderFailAreNamedAndTheRunEnds) {
    AddArticles(6);
    table().AddArticle(u"坏"_qs, u"生活"_qs, u"../../outside.html"_qs, u"d"_qs);
    table().AddArticle(u"坏"_qs, u".."_qs, u"outside2.html"_qs, u"d"_qs);
    AddArticles(2);
    const Outcome outcome = RunTask(DownloadArticles(state()));
    EXPECT_EQ(outcome.articlesFailed, 2);
    EXPECT_EQ(Mark(7), kMarkFailed);
    EXPECT_EQ(Mark(8), kMarkFailed);
    EXPECT_EQ(outcome.notes.filter(u"文章下载失败：7 坏 "_qs).size(), 1);
    EXPECT_EQ(state().Caption(), u"下载结束：文章成功8篇，失败2篇；图片成功0张，失败0张");
    ExpectBody(9, SinaBody(9));
    const QStringList files = FilesBelow(dir.path());
    for (const QString& file : files)
        EXPECT_TRUE(file == kDownloadLogName || file.startsWith(state().taskName + u'/'))
            << file.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"../outside.html"_qs)));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"outside2.html"_qs)));
    const QStringList log = LogMessages(dir.path());
    EXPECT_EQ(log.filter(u"路径越出任务文件夹"_qs).size(), 2);
}

TEST_F(Download, PollingSleepsBetweenEventsInsteadOfSpinning) {
    AddArticles(20);
    server.SetLatency(200);
    const long long before = EventPulse::Instance().Wakeups();
    const double cpuBefore = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    Run();
    ExpectFinished();
    const double seconds = clock.elapsed() / 1000.0;
    // The server runs in this process too; a polling loop that spun would use a whole core.
    EXPECT_LT(CpuSeconds() - cpuBefore, 0.1 * seconds);
    const long long wakeups = EventPulse::Instance().Wakeups() - before;
    EXPECT_GE(seconds, 0.8); // four rounds of five at 200 ms
    // Timer ticks (eleven a second) and reply completions wake the loop, nothing else.
    EXPECT_LE(double(wakeups), seconds * 12 + server.TotalRequests() + 10)
        << wakeups << " wakeups in " << seconds << " s";
}

TEST_F(Download, SinaPicturesAreQueuedFetchedLoggedAndRewrittenToLocalNames) {
    sample::SampleOptions options;
    options.articleCount = 7;
    options.categoryCount = 2;
    options.picturesPerArticle = 2;
    const sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    ASSERT_NO_FATAL_FAILURE(DownloadWithPictures(blog));

    const QStringList log = LogMessages(dir.path());
    int pictures = 0;
    for (int row = 1; row <= table().ArticleCount(); ++row) {
        const sample::SampleArticle& article = blog.articles[row - 1];
        const QString page = ReadCp936(File(row));
        EXPECT_FALSE(page.contains(u"real_src")) << row;
        for (const QString& address : article.pictures) {
            ++pictures;
            const QString local = Paths().PictureFile(article.category, address);
            EXPECT_EQ(ReadBytes(local), server.Page(address)->body) << address.toStdString();
            EXPECT_TRUE(page.contains(u"src=\"" + TaskPaths::PictureName(address) + u'"')) << row;
            EXPECT_FALSE(page.contains(address)) << row;
            EXPECT_TRUE(log.contains(u"添加到列表:" + address));
            EXPECT_EQ(
                log.filter(u"下载成功"_qs)
                    .filter(u" " + QString::number(row) + u" " + address + u" 到本地:" + local)
                    .size(),
                1)
                << address.toStdString();
        }
    }
    EXPECT_EQ(pictures, 14);
}

TEST_F(Download, ACategoryNamedEmptyKeepsItsFilesInTheTaskFolderLinkedByBareName) {
    sample::SampleOptions options;
    options.articleCount = 6;
    options.categoryCount = 2;
    options.picturesPerArticle = 1;
    sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    blog.articles[0].category = u"&nbsp;"_qs;
    ASSERT_NO_FATAL_FAILURE(DownloadWithPictures(blog));

    const sample::SampleArticle& loose = blog.articles[0];
    const TaskPaths paths = state().Paths();
    const QDir taskFolder(paths.TaskFolder());
    EXPECT_EQ(paths.ArticleFile(loose.category, loose.link), taskFolder.filePath(loose.link));
    EXPECT_GT(QFileInfo(taskFolder.filePath(loose.link)).size(), 0);
    const QString picture = taskFolder.filePath(TaskPaths::PictureName(loose.pictures[0]));
    EXPECT_EQ(ReadBytes(picture), server.Page(loose.pictures[0])->body);

    const QString href = u" href=" + loose.link + u'>';
    for (const QString& index : {u"1.htm"_qs, u".htm"_qs, u"all.htm"_qs})
        EXPECT_TRUE(ReadCp936(taskFolder.filePath(index)).contains(href)) << index.toStdString();
    EXPECT_TRUE(ReadCp936(taskFolder.filePath(u"index.html"_qs)).contains(u" href=1.htm>"));
    EXPECT_TRUE(ProjectFileText(state().taskName, table()).contains(kCrLf + loose.link + kCrLf));
    EXPECT_TRUE(ContentsFileText(table()).contains(u"value=\"" + loose.link + u'"'));

    EXPECT_EQ(RunTask(ExportText(state())).articlesSaved, 6);
    const QDir texts(dir.filePath(state().taskName + u"TXT"));
    EXPECT_TRUE(QFileInfo(texts.filePath(SafeFileName(loose.title) + u".txt")).isFile());
    EXPECT_TRUE(ReadCp936(texts.filePath(u"all.txt"_qs)).contains(SafeFileName(loose.title)));
}
