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
        QStringLiteral("txt"), QStringLiteral("[--utf8] 任务文件"),
        QStringLiteral("把下载好的任务转成文本文件（文件夹 名称TXT）"),
        QStringLiteral("任务文件是任务的.ini文件；它的任务文件夹里要有下载完的网页。每篇文章一个\n"
                       "文本文件，放在各分类的文件夹里，每个分类还有一个合并的文件；输出文件夹的\n"
                       "路径。文本默认是GBK编码、CR LF换行（Windows的记事本就能打开）；--utf8\n"
                       "写成UTF-8编码、LF换行（Linux的终端和编辑器）。\n"
                       "任务没有下载或没有转换任何网页时退出状态为1。"),
        &RunTxt};
    return command;
}

namespace {

QCoro::Task<int> RunTxt(Context& context, QStringList arguments) {
    const TextEncoding encoding =
        arguments.removeAll(QStringLiteral("--utf8")) > 0 ? TextEncoding::Utf8 : TextEncoding::Gbk;
    co_return co_await RunPackingCommand(
        context, arguments, TxtCommand(), [encoding](AppState& state) -> QCoro::Task<Outcome> {
            Outcome converted = co_await ExportText(state, encoding);
            // No page converted: nothing was made.
            converted.ok = converted.ok && converted.articlesSaved > 0;
            co_return converted;
        });
}

} // namespace

} // namespace pellomar::cli
