// SPDX-License-Identifier: GPL-3.0-or-later
// The download log "log.log" in the program folder: one time-stamped line per picture event.
#pragma once

#include <QString>

namespace pellomar {

inline const QString kDownloadLogName = QStringLiteral("log.log");

// Appends "hh:mm:ss message" CR LF in code page 936. A log that cannot be written is
// skipped silently: it is a record only and must never stop a download.
void AppendLog(const QString& programFolder, const QString& message);

} // namespace pellomar
