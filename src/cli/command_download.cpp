// SPDX-License-Identifier: GPL-3.0-or-later
// download: what "导入" then "下载" do.
#include "cli/command.h"
#include "cli/session.h"
#include "download/downloader.h"

namespace pellomar::cli {

namespace {

QCoro::Task<int> RunDownload(Context& context, QStringList arguments);

} // namespace

const Command& DownloadCommand() {
    static const Command command{
        QStringLiteral("download"), QStringLiteral("TASKFILE [--per-page N] [--no-pictures]"),
        QStringLiteral("download a task's articles, pictures and index pages"),
        QStringLiteral(
            "TASKFILE is a task's .ini file, as discover or the window's export writes it.\n"
            "The pages land in its task folder inside the program folder; rows whose\n"
            "page files already exist are not fetched again, so an interrupted download\n"
            "resumes. --per-page sets the articles per category page (1 to 255, default 20);\n"
            "--no-pictures leaves picture addresses as they are whatever the task file says.\n"
            "The task folder is printed. Articles and pictures that failed are named on\n"
            "stderr with their counts. Exits with 1 when an article failed or a file could\n"
            "not be written."),
        &RunDownload};
    return command;
}

namespace {

QCoro::Task<int> RunDownload(Context& context, QStringList arguments) {
    const Command& command = DownloadCommand();
    QString taskFile;
    std::optional<QString> perPage;
    bool noPictures = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--no-pictures") {
            noPictures = true;
        } else if (argument == u"--per-page" && i + 1 < arguments.size()) {
            perPage = arguments[++i];
        } else if (argument.startsWith(u"--per-page=")) {
            perPage = argument.mid(11);
        } else if (argument.startsWith(u"--")) {
            co_return UsageError(context, command, u"unknown or incomplete option " + argument);
        } else if (taskFile.isEmpty()) {
            taskFile = argument;
        } else {
            co_return UsageError(context, command, QStringLiteral("needs one TASKFILE"));
        }
    }
    if (taskFile.isEmpty())
        co_return UsageError(context, command, QStringLiteral("needs one TASKFILE"));
    if (perPage) {
        bool ok = false;
        const int value = perPage->toInt(&ok);
        if (!ok || value < 1 || value > 255)
            co_return UsageError(context, command,
                                 u"--per-page needs a number from 1 to 255, not " + *perPage);
    }

    Session session(context);
    co_await session.StartUp();
    if (!(co_await session.ImportTaskFile(taskFile)).ok)
        co_return kNothingDone;
    AppState& state = session.state();
    if (perPage)
        state.SetPerPageText(*perPage);
    if (noPictures)
        state.savePictures = false;

    // The window keeps fetching the last pictures after the run; a process that ends must
    // wait for them.
    const Outcome run = co_await WaitForPictures(state, co_await DownloadArticles(state));
    session.EndProgress();
    // The notes name every article and picture that failed; the problem counts them.
    session.Report(run);
    if (!run.ok)
        co_return kNothingDone;
    session.console().Out(run.path);
    co_return kDone;
}

} // namespace

} // namespace pellomar::cli
