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

} // namespace pellomar::cli
