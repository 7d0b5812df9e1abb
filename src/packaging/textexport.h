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

// How the text files are written: code page 936 with CR LF line ends, which the service's
// readers' Notepad shows, or UTF-8 with LF line ends for a Linux terminal and editor.
enum class TextEncoding { Gbk, Utf8 };

// The outcome counts the pages converted. A task without articles is refused before the
// export folder is made.
QCoro::Task<Outcome> ExportText(AppState& state, TextEncoding encoding = TextEncoding::Gbk);

} // namespace pellomar
