// SPDX-License-Identifier: GPL-3.0-or-later
// "生成EPUB": the downloaded task as one EPUB 3 book for phones and e-readers.
#pragma once

#include "core/outcome.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// Writes program folder + "/" + task name + ".epub". The outcome counts the chapters
// (articlesSaved) and pictures (picturesSaved) in the book.
QCoro::Task<Outcome> ExportEpub(AppState& state);

} // namespace pellomar
