// SPDX-License-Identifier: GPL-3.0-or-later
// The plain message box: the text, one OK button, the program's own title. It is opened
// without blocking, so no handler ever waits inside a nested event loop for the user.
#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace pellomar {

inline constexpr char kMessageBoxName[] = "message";

// Shows the box over parent and returns it; it deletes itself once closed.
QMessageBox* ShowPlainMessage(QWidget* parent, const QString& text);

} // namespace pellomar
