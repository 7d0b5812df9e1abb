// SPDX-License-Identifier: GPL-3.0-or-later
// A repair of chmcmd's output. Its directory header names the last listing chunk as the
// first one once the listing spans several chunks, so readers that walk the listing (chmlib's
// enumeration, 7-Zip) see only the tail of the file list, while lookups by name still work.
#pragma once

#include <QString>

namespace pellomar {

enum class ChmDirectoryMend { Unchanged, Mended, NotAChm };

// Points the directory header of the CHM at path to the listing chunk that has no
// predecessor. Changes four bytes at most, in place.
ChmDirectoryMend MendChmListingHead(const QString& path);

} // namespace pellomar
