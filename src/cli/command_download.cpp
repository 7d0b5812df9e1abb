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
        QStringLiteral("download"), QStringLiteral("任务文件 [--per-page N] [--no-pictures]"),
        QStringLiteral("下载任务的文章、图片和索引页"),
        QStringLiteral("任务文件是任务的.ini文件，由 discover 或窗口的“导出”写成。\n"
                       "网页存进程序目录里的任务文件夹；网页文件已经存在的行不再下载，所以中断的\n"
                       "下载可以接着下。--per-page 是每个分类索引页的文章数（1到255，默认20）；\n"
                       "--no-pictures 不管任务文件怎么说，都保留图片原来的地址。\n"
                       "输出任务文件夹的路径。下载失败的文章和图片在错误输出上逐个列出并计数。\n"
                       "有文章下载失败或有文件没能写入时退出状态为1。"),
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
            co_return UsageError(context, command, u"没有这个选项或选项不完整：" + argument);
        } else if (taskFile.isEmpty()) {
            taskFile = argument;
        } else {
            co_return UsageError(context, command, QStringLiteral("要有一个任务文件"));
        }
    }
    if (taskFile.isEmpty())
        co_return UsageError(context, command, QStringLiteral("要有一个任务文件"));
    if (perPage) {
        bool ok = false;
        const int value = perPage->toInt(&ok);
        if (!ok || value < 1 || value > 255)
            co_return UsageError(context, command, u"--per-page 要一个1到255的数，不是" + *perPage);
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
