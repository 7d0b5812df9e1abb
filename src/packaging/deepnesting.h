// SPDX-License-Identifier: GPL-3.0-or-later
// Pages nested deeper than readers of markup can follow: libxml2 stops at depth 256 and
// drops the rest of the page, chmcmd overflows its stack at some tens of thousands.
#pragma once

#include <QByteArray>

namespace pellomar {

// Deeper than any page of the services nests, far below what stops the readers.
constexpr int kMaxNesting = 200;

// The page with every start tag that would open an element deeper than maxDepth left out,
// and its end tag with it; text and every other tag stay. The same bytes when nothing is that
// deep. Works on any encoding that keeps ASCII markup as it is (UTF-8, code page 936).
QByteArray FlattenDeepNesting(const QByteArray& html, int maxDepth = kMaxNesting);

} // namespace pellomar
