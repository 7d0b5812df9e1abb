// SPDX-License-Identifier: GPL-3.0-or-later
// pellomar-cli: the engine's operations without a window.
#pragma once

#include "cli/console.h"

#include <QStringList>
#include <qcoro/qcorotask.h>

namespace pellomar::cli {

// Runs one command line (the program name first, as QCoreApplication::arguments() gives
// it) and returns the exit status. Needs a running event loop.
QCoro::Task<int> Run(QStringList arguments, Console& console);

// Whether the command line may start the embedded browser: a command that takes a SERVICE,
// given an argument that names a service read through the browser (a task named "sohu"
// counts too). main() makes the QGuiApplication the browser needs only then.
bool NeedsBrowser(const QStringList& arguments);

} // namespace pellomar::cli
