// SPDX-License-Identifier: GPL-3.0-or-later
// The download: the article table's pages fetched over five slots, processed, indexed,
// and the pictures waited for.
#pragma once

#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

QCoro::Task<> DownloadArticles(AppState& state);

} // namespace pellomar
