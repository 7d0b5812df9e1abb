// SPDX-License-Identifier: GPL-3.0-or-later
// Task files: a task's address, service, name, picture flag and article list, saved as
// code-page-936 text blocks so that a long list need not be searched again.
#pragma once

#include "core/outcome.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// program folder + "/" + task name + ".ini".
QString TaskFilePath(const AppState& state);

// Writes the task file whole; refused (the reason also in the caption) when a value cannot
// be stored or the file cannot be written.
Outcome ExportTask(AppState& state);

// Reads, validates and loads a task file. A file that does not follow the format is
// refused with a message naming the problem and the current task stays as it was.
QCoro::Task<Outcome> ImportTask(AppState& state, QString path);

} // namespace pellomar
