// SPDX-License-Identifier: GPL-3.0-or-later
// Windows bitmaps, which some blogs served and e-readers do not show, as PNG pictures.
#pragma once

#include <QByteArray>

namespace pellomar {

// An uncompressed bitmap (1, 4, 8, 24 or 32 bits a pixel) as an RGB PNG; empty for anything
// else.
QByteArray BmpAsPng(const QByteArray& bmp);

// A PNG of 8-bit RGB pixels: `rows` holds height rows, each a filter byte of 0 and then
// width pixels of red, green and blue.
QByteArray RgbRowsAsPng(quint32 width, quint32 height, const QByteArray& rows);

} // namespace pellomar
