// SPDX-License-Identifier: GPL-3.0-or-later
// demo: backs up the bundled sample blog with no network at all. The blog is served from
// inside the process on a loopback port, which the engine uses as its proxy; from there on
// every step is the one the window runs.
#include "cli/command.h"
#include "cli/session.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "demo/sampleblog.h"
#include "discovery/discovery.h"
#include "download/downloader.h"
#include "packaging/chmpacker.h"
#include "packaging/epubexport.h"
#include "packaging/markdownexport.h"
#include "packaging/textexport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

namespace pellomar::cli {

namespace {

QCoro::Task<int> RunDemo(Context& context, QStringList arguments);

const QString kDemoTaskName = QStringLiteral("示例博客");

// About 40 articles in three categories, one of them long enough for two index pages.
sample::SampleBlog DemoBlog() {
    sample::SampleOptions options;
    options.articleCount = 40;
    options.categoryCount = 3;
    options.picturesPerArticle = 2;
    options.picturedEvery = 2; // so that some pages have none
    options.favouriteCount = 3;
    options.seed = 20110821;
    sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    for (int i = 0; i < blog.articles.size(); ++i) {
        const int category = i < 24 ? 0 : (i < 33 ? 1 : 2);
        blog.articles[i].category = blog.categories[category].name;
    }
    return blog;
}

} // namespace

const Command& DemoCommand() {
    static const Command command{
        QStringLiteral("demo"), QString(),
        QStringLiteral("备份内置的示例博客：查找、下载、CHM、文本、EPUB和Markdown"),
        [] {
            // The favourites are backed up as a category of their own.
            const sample::SampleBlog blog = DemoBlog();
            const qsizetype articles = blog.articles.size() + blog.favourites.size();
            return QStringLiteral(
                       "在程序内部提供一个有%1篇文章的新浪示例博客（不用网络），把它备份到\n"
                       "程序目录，任务名“%"
                       "2”：文章网页和图片、索引页、CHM、文本、EPUB和Markdown站点。\n"
                       "最后列出做成的文件。有步骤失败时退出状态为1。")
                .arg(articles)
                .arg(kDemoTaskName);
        }(),
        &RunDemo};
    return command;
}

namespace {

// The picture files on disk: every file in the category folders that is no article page.
int CountPictureFiles(AppState& state) {
    const TaskPaths paths = state.Paths();
    ArticleTable& table = state.table();
    QSet<QString> pages;
    QSet<QString> folders;
    for (int row = 1; row <= table.ArticleCount(); ++row) {
        const QString category = table.Cell(row, ArticleTable::Category);
        pages.insert(paths.ArticleFile(category, table.Cell(row, ArticleTable::Link)));
        folders.insert(paths.CategoryFolder(category));
    }
    int pictures = 0;
    for (const QString& folder : std::as_const(folders)) {
        if (folder.isEmpty())
            continue;
        // The task folder is the empty-named category's folder: its index pages are no pictures.
        const bool taskFolder = folder == paths.TaskFolder();
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
        for (const QFileInfo& file : files)
            if (!pages.contains(file.absoluteFilePath()) && !pages.contains(file.filePath()) &&
                !(taskFolder && paths.TakenInTaskFolder(file.fileName())))
                ++pictures;
    }
    return pictures;
}

// The file's path when it is there, else why it is not.
QString Made(const QString& path, const QString& problem) {
    if (!path.isEmpty() && QFileInfo::exists(path))
        return path;
    return problem.isEmpty() ? QStringLiteral("未生成") : u"未生成（" + problem + u'）';
}

int CountTextFiles(const QString& folder) {
    if (folder.isEmpty())
        return 0;
    int count = 0;
    for (QDirIterator it(folder, {QStringLiteral("*.txt")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext(); it.next())
        ++count;
    return count;
}

QCoro::Task<int> RunDemo(Context& context, QStringList arguments) {
    const Command& command = DemoCommand();
    if (!arguments.isEmpty())
        co_return UsageError(context, command, u"不要参数：" + arguments.join(u' '));

    QElapsedTimer clock;
    clock.start();
    const sample::SampleBlog blog = DemoBlog();
    LoopbackServer server;
    sample::ServeSampleBlog(blog, server);
    if (!server.Listen()) {
        context.console.Error(QStringLiteral("demo：无法为示例博客打开本机端口"));
        co_return kNothingDone;
    }

    Session session(context);
    AppState& state = session.state();
    state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
    co_await session.StartUp();

    state.savePictures = true;
    const Outcome found =
        co_await Start(state, kSina, kDemoTaskName, sample::FirstPageAddress(blog));
    session.EndProgress();
    if (found.articles == 0) {
        session.Report(found);
        co_return kNothingDone;
    }
    ExportTask(state);

    // The CHM and the summary want the last pictures on disk.
    const Outcome run = co_await WaitForPictures(state, co_await DownloadArticles(state));
    session.EndProgress();
    session.Report(run);

    const Outcome chmMade = co_await MakeChm(state, false);
    session.EndProgress();
    const Outcome texts = co_await ExportText(state);
    session.EndProgress();
    const Outcome book = co_await ExportEpub(state);
    session.EndProgress();
    const Outcome site = co_await ExportMarkdown(state);
    session.EndProgress();

    // Only what is on disk is listed: a step that failed says so instead.
    const TaskPaths paths = state.Paths();
    const QString index = paths.InTaskFolder(QStringLiteral("index.html"));
    const QString textFolder = texts.ok ? texts.path : QString();
    Console& out = context.console;
    out.Out(QStringLiteral("文章：%1").arg(state.table().ArticleCount()));
    out.Out(QStringLiteral("图片：%1").arg(CountPictureFiles(state)));
    out.Out(QStringLiteral("分类：%1").arg(state.table().Categories().Size()));
    out.Out(u"首页：" + Made(index, run.problem));
    out.Out(u"CHM：" + Made(chmMade.ok ? chmMade.path : QString(), chmMade.problem));
    const int textFiles = CountTextFiles(textFolder);
    out.Out(u"TXT：" + (textFiles > 0
                            ? QStringLiteral("%1（%2个文本文件）").arg(textFolder).arg(textFiles)
                            : Made(QString(), texts.problem)));
    out.Out(u"EPUB：" + Made(book.ok ? book.path : QString(), book.problem));
    out.Out(u"Markdown：" + Made(site.ok ? site.path : QString(), site.problem));
    out.Out(QStringLiteral("用时：%1秒").arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    co_return chmMade.ok&& texts.ok&& book.ok&& site.ok&& run.ok ? kDone : kNothingDone;
}

} // namespace

} // namespace pellomar::cli
