// SPDX-License-Identifier: GPL-3.0-or-later
// chm: what "生成CHM" does, for a task that has been downloaded.
#include "cli/command.h"
#include "cli/packagingcommands.h"
#include "cli/session.h"
#include "core/filenames.h"
#include "packaging/chmpacker.h"

#include <QFileInfo>

namespace pellomar::cli {

namespace {

QCoro::Task<int> RunChm(Context& context, QStringList arguments);

} // namespace

const Command& ChmCommand() {
    static const Command command{
        QStringLiteral("chm"), QStringLiteral("任务文件"),
        QStringLiteral("把下载好的任务打包成 名称.chm"),
        QStringLiteral("任务文件是任务的.ini文件；它的任务文件夹里要有下载完的网页。CHM由\n"
                       "chmcmd（Debian的fp-utils包）生成，放在程序目录，输出它的路径。\n"
                       "任务没有下载或CHM没有生成时退出状态为1。"),
        &RunChm};
    return command;
}

QString NotDownloadedProblem(Session& session) {
    const AppState& state = session.state();
    const QString folder = state.Paths().TaskFolder();
    if (folder.isEmpty())
        return u"任务名不能用作文件夹名：" + state.taskName;
    if (!QFileInfo(folder + QStringLiteral("/index.html")).isFile())
        return u"任务" + state.taskName + u"还没有下载（" + folder +
               u"里没有index.html），请先下载";
    return {};
}

QCoro::Task<bool> LoadDownloadedTask(Session& session, const QString& taskFile) {
    if (!(co_await session.ImportTaskFile(taskFile)).ok)
        co_return false;
    if (const QString problem = NotDownloadedProblem(session); !problem.isEmpty()) {
        session.console().Error(problem);
        co_return false;
    }
    co_return true;
}

namespace {

QCoro::Task<int> RunChm(Context& context, QStringList arguments) {
    co_return co_await RunPackingCommand(context, arguments, ChmCommand(),
                                         [](AppState& state) { return MakeChm(state, false); });
}

} // namespace

QCoro::Task<int> RunPackingCommand(Context& context, const QStringList& arguments,
                                   const Command& command,
                                   std::function<QCoro::Task<Outcome>(AppState&)> operation) {
    if (arguments.size() != 1 || arguments[0].startsWith(u"--"))
        co_return UsageError(context, command, QStringLiteral("要有一个任务文件"));
    Session session(context);
    co_await session.StartUp();
    if (!co_await LoadDownloadedTask(session, arguments[0]))
        co_return kNothingDone;
    const Outcome made = co_await operation(session.state());
    session.EndProgress();
    session.Report(made);
    if (!made.ok)
        co_return kNothingDone;
    session.console().Out(made.path);
    co_return kDone;
}

} // namespace pellomar::cli
