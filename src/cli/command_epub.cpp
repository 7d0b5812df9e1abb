// SPDX-License-Identifier: GPL-3.0-or-later
// epub: what "生成EPUB" does, for a task that has been downloaded.
#include "cli/command.h"
#include "cli/packagingcommands.h"
#include "cli/session.h"
#include "packaging/epubexport.h"

namespace pellomar::cli {

namespace {

QCoro::Task<int> RunEpub(Context& context, QStringList arguments);

} // namespace

const Command& EpubCommand() {
    static const Command command{
        QStringLiteral("epub"), QStringLiteral("TASKFILE"),
        QStringLiteral("make a downloaded task into the e-book NAME.epub"),
        QStringLiteral("TASKFILE is the task's .ini file; its task folder must hold a finished\n"
                       "download. The EPUB 3 book holds one chapter per article, category by\n"
                       "category as the CHM's contents list them, with the pictures on disk; it\n"
                       "lands in the program folder and its path is printed.\n"
                       "Exits with 1 when the task is not downloaded or the book was not made."),
        &RunEpub};
    return command;
}

namespace {

QCoro::Task<int> RunEpub(Context& context, QStringList arguments) {
    co_return co_await RunPackingCommand(context, arguments, EpubCommand(), &ExportEpub);
}

} // namespace

} // namespace pellomar::cli
