// SPDX-License-Identifier: GPL-3.0-or-later
// Discovery: from a service, a name and the first list address to a filled article table.
#pragma once

#include "services/service.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

inline const QString kNoArticlesFound = QStringLiteral("没有找到文章，请检查地址！");
// Begins the status line of a run that a reader could not finish.
inline const QString kDiscoveryFailed = QStringLiteral("查找文章出错：");

// Runs the whole discovery; returns when it has finished or failed. The outcome is in the
// state: the table, the status list, the caption and the buttons.
QCoro::Task<> Start(AppState& state, ServiceKind blg, QString bt, QString htp);

} // namespace pellomar
