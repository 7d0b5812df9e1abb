// SPDX-License-Identifier: GPL-3.0-or-later
// "生成CHM": the project and contents files, the compile, the captions, and opening the CHM.
#pragma once

#include "core/outcome.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// Packs the current task's folder into program folder + "/" + task name + ".chm".
QCoro::Task<Outcome> MakeChm(AppState& state, bool openWhenDone = true);

} // namespace pellomar
