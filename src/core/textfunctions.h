// SPDX-License-Identifier: GPL-3.0-or-later
// Taking pages apart by markers. Positions count 16-bit units from 1.
#pragma once

#include <QList>
#include <QString>
#include <utility>

namespace pellomar {

inline const QString kNotFoundPrefix = QStringLiteral("未找到-");
// The line end of every text the system writes and of its status-list entries.
inline const QString kCrLf = QStringLiteral("\r\n");

// A template with every "#" standing for a double quote, as the markers are written.
inline QString Quoted(QString text) {
    return text.replace(u'#', u'"');
}

// The text between the first start marker and the first end marker that begins at or after
// `skip` characters into the value; "未找到-" + the input when a marker is missing, or when
// the end marker occurs only before that point.
QString CutBetween(const QString& text, const QString& start, const QString& end, int skip);

// Decimal character references ("&#" digits ";", eight characters at most) replaced
// by their characters, every occurrence at once.
QString DecodeCharRefs(const QString& text);

// Every occurrence of each pair's first text replaced by its second, in one pass from the
// start: where several begin at one place the earliest pair wins, and replaced text is not
// searched again. Linear in the text (for texts of bounded length), however many pairs.
QString ReplaceEach(const QString& text, const QList<std::pair<QString, QString>>& pairs);

} // namespace pellomar
