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

// Sets the flag in the CHM's "#SYSTEM" file that tells a viewer the file has a full-text
// index: chmcmd sets it only for an index of its own. Changes four bytes in place; false
// when the file has no such flag to set.
bool MarkChmSearchable(const QString& path);

} // namespace pellomar
