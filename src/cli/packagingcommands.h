// SPDX-License-Identifier: GPL-3.0-or-later
// What the packing commands share.
#pragma once

#include "core/outcome.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <qcoro/qcorotask.h>

namespace pellomar {
class AppState;
}

namespace pellomar::cli {

class Session;
struct Command;
struct Context;

// A packing command: one TASKFILE, loaded and checked as downloaded, then the operation.
// Prints what it made, or its problem; a run that made nothing counts as failed.
QCoro::Task<int> RunPackingCommand(Context& context, const QStringList& arguments,
                                   const Command& command,
                                   std::function<QCoro::Task<Outcome>(AppState&)> operation);

// Loads the task file as "导入" does and checks that its task folder holds a finished
// download (the download writes "index.html" last). Reports the problem and returns false
// otherwise.
QCoro::Task<bool> LoadDownloadedTask(Session& session, const QString& taskFile);

// Whether the current task's folder holds a finished download; the problem when not.
QString NotDownloadedProblem(Session& session);

} // namespace pellomar::cli
