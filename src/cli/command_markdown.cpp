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
        QStringLiteral("markdown"), QStringLiteral("任务文件"),
        QStringLiteral("把下载好的任务做成Hugo站点 名称MD（Markdown网页）"),
        QStringLiteral("任务文件是任务的.ini文件；它的任务文件夹里要有下载完的网页。程序目录里的\n"
                       "文件夹 名称MD 成为一个Hugo站点：hugo.toml、版式，每篇文章一个\n"
                       "content/posts/<链接>/index.md，旁边是磁盘上的图片（Hexo也能用这些网页）。\n"
                       "在里面运行hugo，站点生成在public/。输出它的路径。\n"
                       "任务没有下载或站点没有生成时退出状态为1。"),
        &RunMarkdown};
    return command;
}

namespace {

QCoro::Task<int> RunMarkdown(Context& context, QStringList arguments) {
    co_return co_await RunPackingCommand(context, arguments, MarkdownCommand(), &ExportMarkdown);
}

} // namespace

} // namespace pellomar::cli
