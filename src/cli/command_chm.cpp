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
        QStringLiteral("chm"), QStringLiteral("TASKFILE"),
        QStringLiteral("pack a downloaded task into NAME.chm"),
        QStringLiteral("TASKFILE is the task's .ini file; its task folder must hold a finished\n"
                       "download. The CHM is made with chmcmd (Debian package fp-utils) and lands\n"
                       "in the program folder; its path is printed.\n"
                       "Exits with 1 when the task is not downloaded or the CHM was not made."),
        &RunChm};
    return command;
}

QString NotDownloadedProblem(Session& session) {
    const AppState& state = session.state();
    const QString folder = state.Paths().TaskFolder();
    if (folder.isEmpty())
        return u"the task name cannot name a folder: " + state.taskName;
    if (!QFileInfo(folder + QStringLiteral("/index.html")).isFile())
        return u"the task " + state.taskName + u" is not downloaded yet (" + folder +
               u" has no index.html); download it first";
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
        co_return UsageError(context, command, QStringLiteral("needs one TASKFILE"));
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

namespace {} // namespace

} // namespace pellomar::cli
