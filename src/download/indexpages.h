// SPDX-License-Identifier: GPL-3.0-or-later
// The index pages of a task folder: per category numbered pages and one list, the full
// list "all.htm" and the top index "index.html".
#pragma once

#include "platform/textstream.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// Appends every row to its category page and category list, then rewrites "all.htm" and
// "index.html" (dated `now`, or the current time when it is not valid). Stops at the
// first file that cannot be written.
QCoro::Task<WriteResult> WriteIndexPages(AppState& state, QDateTime now = {});

// A file length as the index pages show it: kilobytes of 1000 bytes to one decimal, an exact
// half going to the even neighbour, without trailing zeros ("1.2", "1", "0").
QString SizeText(qint64 bytes);

} // namespace pellomar
