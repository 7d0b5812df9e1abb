// SPDX-License-Identifier: GPL-3.0-or-later
// Asking the desktop to open a document with its default program.
#pragma once

#include <QString>

namespace pellomar {

// Starts the desktop's opener (xdg-open) for the file and returns at once; whether a program
// was found or the document opened is not reported.
void OpenDocument(const QString& path);

} // namespace pellomar
