// SPDX-License-Identifier: GPL-3.0-or-later
// markdown: what "生成Markdown" does, for a task that has been downloaded.
#include "cli/command.h"
#include "cli/packagingcommands.h"
#include "packaging/markdownexport.h"

namespace pellomar::cli {

namespace {

QCoro::Task<int> RunMarkdown(Context& context, QStringList arguments);

} // namespace

const Command& MarkdownCommand() {
    static const Command command{
        QStringLiteral("markdown"), QStringLiteral("TASKFILE"),
        QStringLiteral("make a downloaded task into the Hugo site NAMEMD (Markdown pages)"),
        QStringLiteral("TASKFILE is the task's .ini file; its task folder must hold a finished\n"
                       "download. The folder NAMEMD in the program folder becomes a Hugo site:\n"
                       "hugo.toml, layouts, and content/posts/<link>/index.md per article with\n"
                       "the pictures on disk beside it (Hexo takes the same pages). Run hugo in\n"
                       "it to build the site in public/. Its path is printed.\n"
                       "Exits with 1 when the task is not downloaded or the site was not made."),
        &RunMarkdown};
    return command;
}

namespace {

QCoro::Task<int> RunMarkdown(Context& context, QStringList arguments) {
    co_return co_await RunPackingCommand(context, arguments, MarkdownCommand(), &ExportMarkdown);
}

} // namespace

} // namespace pellomar::cli
