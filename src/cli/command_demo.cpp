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
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

namespace pellomar::cli {

namespace {

QCoro::Task<int> RunDemo(Context& context, QStringList arguments);

const QString kDemoTaskName = QStringLiteral("示例博客");

} // namespace

const Command& DemoCommand() {
    static const Command command{
        QStringLiteral("demo"), QString(),
        QStringLiteral("back up the bundled sample blog: download, CHM, text, EPUB and Markdown"),
        u"Serves a sample Sina blog of 40 articles from inside the program (no network is\n"
        u"used) and backs it up into the program folder as the task \"" +
            kDemoTaskName +
            u"\":\nthe article pages with their pictures, the index pages, the CHM, the text\n"
            u"export, the EPUB and the Markdown site. Ends with a summary. Exits with 1 when a "
            u"step fails.",
        &RunDemo};
    return command;
}

namespace {

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

QCoro::Task<int> RunDemo(Context& context, QStringList arguments) {
    const Command& command = DemoCommand();
    if (!arguments.isEmpty())
        co_return UsageError(context, command, u"takes no arguments: " + arguments.join(u' '));

    QElapsedTimer clock;
    clock.start();
    const sample::SampleBlog blog = DemoBlog();
    LoopbackServer server;
    sample::ServeSampleBlog(blog, server);
    if (!server.Listen()) {
        context.console.Error(
            QStringLiteral("demo: cannot open a loopback port for the sample blog"));
        co_return kNothingDone;
    }

    Session session(context);
    AppState& state = session.state();
    state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
    co_await session.StartUp();

    state.savePictures = true;
    const Outcome found =
        co_await Start(state, kSina, kDemoTaskName, sample::FirstPageAddress(blog));
    session.console().EndProgress();
    if (found.articles == 0) {
        session.Report(found);
        co_return kNothingDone;
    }
    ExportTask(state);

    // The CHM and the summary want the last pictures on disk.
    const Outcome run = co_await WaitForPictures(state, co_await DownloadArticles(state));
    session.console().EndProgress();
    session.Report(run);

    const Outcome chmMade = co_await MakeChm(state, false);
    session.console().EndProgress();
    const Outcome texts = co_await ExportText(state);
    session.console().EndProgress();
    const Outcome book = co_await ExportEpub(state);
    session.console().EndProgress();
    const Outcome site = co_await ExportMarkdown(state);
    session.console().EndProgress();

    const TaskPaths paths = state.Paths();
    const QString chm = state.programFolder() + u'/' + state.taskName + u".chm";
    Console& out = context.console;
    out.Out(QStringLiteral("articles:   %1").arg(state.table().ArticleCount()));
    out.Out(QStringLiteral("pictures:   %1").arg(CountPictureFiles(state)));
    out.Out(QStringLiteral("categories: %1").arg(state.table().Categories().Size()));
    out.Out(u"index:      " + paths.InTaskFolder(QStringLiteral("index.html")));
    out.Out(u"chm:        " +
            (chmMade.ok ? chmMade.path : u"(not made: " + chmMade.problem + u')'));
    out.Out(u"text:       " + paths.TaskFolder() + u"TXT (" + QString::number(texts.articlesSaved) +
            u" files)");
    out.Out(u"epub:       " + (book.ok ? book.path : u"(not made: " + book.problem + u')'));
    out.Out(u"markdown:   " + (site.ok ? site.path : u"(not made: " + site.problem + u')'));
    out.Out(QStringLiteral("seconds:    %1").arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    co_return chmMade.ok&& book.ok&& site.ok&& run.ok ? kDone : kNothingDone;
}

} // namespace

} // namespace pellomar::cli
