// SPDX-License-Identifier: GPL-3.0-or-later
// The pattern matcher the readers take pages apart with.
#pragma once

#include <QString>

namespace pellomar {

// Every match of the pattern in the subject, each followed by CR LF, left to right;
// the empty text when nothing matches or the pattern does not compile. Matching ignores
// letter case, and "." matches anything but a line feed (a carriage return included).
QString MatchAll(const QString& pattern, const QString& subject);

} // namespace pellomar
