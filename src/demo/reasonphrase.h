// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace pellomar {

// The text after the status code in an HTTP/1.1 status line.
QByteArray ReasonPhrase(int status);

} // namespace pellomar
