// SPDX-License-Identifier: GPL-3.0-or-later
// The download: the article table's pages fetched over five slots, processed, indexed,
// and the pictures waited for.
#pragma once

#include "core/outcome.h"

#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// Fetches, processes and indexes the task's articles. The outcome counts the articles on
// disk and the pictures handled so far.
QCoro::Task<Outcome> DownloadArticles(AppState& state);

// The run above ends with up to one picture still queued and five in flight, which the
// window's timer finishes later. A caller that goes on at once (to pack or to exit) waits
// here until none is queued or in flight (every request ends by its time-out at the
// latest), and gets the run's outcome with the final picture counts.
QCoro::Task<Outcome> WaitForPictures(AppState& state, Outcome run);

} // namespace pellomar
