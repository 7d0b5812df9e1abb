// SPDX-License-Identifier: GPL-3.0-or-later
// backup: discover, download and pack in one run, by running those commands in turn on
// the task file the first one saves.
#include "cli/command.h"
#include "core/appstate.h"
#include "core/taskfile.h"
#include "services/blogaddress.h"

namespace pellomar::cli {

const Command& DiscoverCommand();
const Command& DownloadCommand();
const Command& ChmCommand();
const Command& TxtCommand();
const Command& MarkdownCommand();

namespace {

QCoro::Task<int> RunBackup(Context& context, QStringList arguments);

} // namespace

const Command& BackupCommand() {
    static const Command command{
        QStringLiteral("backup"),
        QStringLiteral(
            "[--chm] [--txt] [--markdown] [--no-pictures] [--per-page N] SERVICE NAME [ADDRESS]"),
        QStringLiteral("discover, download and pack a blog in one run"),
        QStringLiteral(
            "Runs discover SERVICE NAME [ADDRESS], then download on the task file it saves,\n"
            "then chm with --chm, txt with --txt and markdown with --markdown.\n"
            "--no-pictures and --pictures go to discover, --per-page to download. Stops at\n"
            "the first step that fails and exits with its status."),
        &RunBackup,
        true};
    return command;
}

namespace {

QCoro::Task<int> RunBackup(Context& context, QStringList arguments) {
    const Command& command = BackupCommand();
    bool chm = false;
    bool txt = false;
    bool markdown = false;
    QStringList discoverArguments;
    QStringList downloadOptions;
    QStringList values;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--chm")
            chm = true;
        else if (argument == u"--txt")
            txt = true;
        else if (argument == u"--markdown")
            markdown = true;
        else if (argument == u"--no-pictures" || argument == u"--pictures")
            discoverArguments << argument;
        else if (argument == u"--per-page" && i + 1 < arguments.size())
            downloadOptions << argument << arguments[++i];
        else if (argument.startsWith(u"--per-page="))
            downloadOptions << argument;
        else if (argument.startsWith(u"--"))
            co_return UsageError(context, command, u"unknown or incomplete option " + argument);
        else
            values << argument;
    }
    if (values.size() < 2 || values.size() > 3)
        co_return UsageError(context, command, QStringLiteral("needs SERVICE and NAME"));
    const std::optional<ServiceKind> kind = ParseServiceName(values[0]);
    if (!kind)
        co_return UsageError(context, command,
                             u"unknown service " + values[0] + u"; one of " + ServiceNames());

    if (const int status = co_await DiscoverCommand().run(context, discoverArguments + values);
        status != kDone)
        co_return status;
    AppState saved(context.programFolder);
    saved.taskName = TaskNameAsTyped(*kind, values[1]);
    const QString taskFile = TaskFilePath(saved);
    const QStringList taskFileOnly = {taskFile};

    if (const int status = co_await DownloadCommand().run(context, downloadOptions << taskFile);
        status != kDone)
        co_return status;
    if (chm) {
        if (const int status = co_await ChmCommand().run(context, taskFileOnly); status != kDone)
            co_return status;
    }
    if (txt) {
        if (const int status = co_await TxtCommand().run(context, taskFileOnly); status != kDone)
            co_return status;
    }
    if (markdown)
        co_return co_await MarkdownCommand().run(context, taskFileOnly);
    co_return kDone;
}

} // namespace

} // namespace pellomar::cli
