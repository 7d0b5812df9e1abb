// SPDX-License-Identifier: GPL-3.0-or-later
// The full-text index of a task's CHM, made from its article pages.
#pragma once

#include <QByteArray>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// The index for the CHM the contents file describes: a topic for each entry of the contents
// file, numbered categories first, then each category's articles in the order listed there.
// Only article pages are indexed. Shows its progress in the caption and yields now and then.
QCoro::Task<QByteArray> BuildSearchIndex(AppState& state);

} // namespace pellomar
