// SPDX-License-Identifier: GPL-3.0-or-later
// What the packing commands share.
#pragma once

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar::cli {

class Session;

// Loads the task file as "导入" does and checks that its task folder holds a finished
// download (the download writes "index.html" last). Reports the problem and returns false
// otherwise.
QCoro::Task<bool> LoadDownloadedTask(Session& session, const QString& taskFile);

// Whether the current task's folder holds a finished download; the problem when not.
QString NotDownloadedProblem(Session& session);

} // namespace pellomar::cli
