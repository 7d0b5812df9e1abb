// SPDX-License-Identifier: GPL-3.0-or-later
// Discovery: from a service, a name and the first list address to a filled article table.
#pragma once

#include "core/outcome.h"
#include "core/servicekind.h"
#include "services/listreader.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

inline const QString kNoArticlesFound = QStringLiteral("没有找到文章，请检查地址！");
// Begins the line naming a list page that could not be read after its retries.
inline const QString kListPageUnread = QStringLiteral("列表页没能读取：");
// Begins the status line of a run that a reader could not finish.
inline const QString kDiscoveryFailed = QStringLiteral("查找文章出错：");

// Runs the whole discovery; returns when it has finished, failed or been superseded by a
// newer run. The table, status list, caption and buttons show it as it goes.
QCoro::Task<Outcome> Start(AppState& state, ServiceKind blg, QString bt, QString htp);

} // namespace pellomar
