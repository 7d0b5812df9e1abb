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
        QStringLiteral("epub"), QStringLiteral("任务文件"),
        QStringLiteral("把下载好的任务做成电子书 名称.epub"),
        QStringLiteral("任务文件是任务的.ini文件；它的任务文件夹里要有下载完的网页。这本\n"
                       "EPUB 3电子书每篇文章一章，按CHM目录的分类顺序排列，带着磁盘上的图片；\n"
                       "放在程序目录，输出它的路径。\n"
                       "任务没有下载或电子书没有生成时退出状态为1。"),
        &RunEpub};
    return command;
}

namespace {

QCoro::Task<int> RunEpub(Context& context, QStringList arguments) {
    co_return co_await RunPackingCommand(context, arguments, EpubCommand(), &ExportEpub);
}

} // namespace

} // namespace pellomar::cli
