// SPDX-License-Identifier: GPL-3.0-or-later
// "转TXT": the downloaded pages as plain-text files, per category and combined.
#pragma once

#include "core/outcome.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// Converts one page file (its code-page-936 bytes) to text and writes the text file (none
// for an empty path). Returns the text; the empty text (and no file) on failure.
QString HtmlToText(const QString& pagePath, const QString& textPath);

// The outcome counts the pages converted.
QCoro::Task<Outcome> ExportText(AppState& state);

} // namespace pellomar
