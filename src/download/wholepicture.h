// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the bytes of a picture reached their end: a server that framed its answer
// wrongly hands over a picture's first bytes as if they were all of it.
#pragma once

#include <QByteArray>

namespace pellomar {

// False for a JPEG, PNG, GIF, BMP or WebP picture whose ending (or announced size) is
// missing; true for these when whole, and for every other format, which is not checked.
bool IsWholePicture(const QByteArray& bytes);

} // namespace pellomar
