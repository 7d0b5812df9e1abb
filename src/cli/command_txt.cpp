// SPDX-License-Identifier: GPL-3.0-or-later
// txt: what "转TXT" does, for a task that has been downloaded.
#include "cli/command.h"
#include "cli/packagingcommands.h"
#include "cli/session.h"
#include "packaging/textexport.h"

namespace pellomar::cli {

namespace {

QCoro::Task<int> RunTxt(Context& context, QStringList arguments);

} // namespace

const Command& TxtCommand() {
    static const Command command{
        QStringLiteral("txt"), QStringLiteral("TASKFILE"),
        QStringLiteral("convert a downloaded task into text files (folder NAMETXT)"),
        QStringLiteral("TASKFILE is the task's .ini file; its task folder must hold a finished\n"
                       "download. One text file per article lands in a folder per category, and\n"
                       "one combined file per category; the folder's path is printed.\n"
                       "Exits with 1 when the task is not downloaded or no page was converted."),
        &RunTxt};
    return command;
}

namespace {

QCoro::Task<int> RunTxt(Context& context, QStringList arguments) {
    co_return co_await RunPackingCommand(
        context, arguments, TxtCommand(), [](AppState& state) -> QCoro::Task<Outcome> {
            Outcome converted = co_await ExportText(state);
            // No page converted: nothing was made.
            converted.ok = converted.ok && converted.articlesSaved > 0;
            co_return converted;
        });
}

} // namespace

} // namespace pellomar::cli
