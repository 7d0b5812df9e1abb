// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/bmppicture.h"

#include <QtEndian>
#include <array>

namespace pellomar {

namespace {

constexpr qint64 kMaxPixels = 64 * 1024 * 1024;

quint32 Crc32(const QByteArray& data) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

QByteArray BigEndian(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray Chunk(const char* type, const QByteArray& data) {
    const QByteArray body = QByteArray(type) + data;
    return BigEndian(quint32(data.size())) + body + BigEndian(Crc32(body));
}

quint32 Le32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 Le16(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

} // namespace

QByteArray BmpAsPng(const QByteArray& bmp) {
    constexpr qsizetype kFileHeader = 14;
    if (bmp.size() < kFileHeader + 40 || !bmp.startsWith("BM"))
        return {};
    const quint32 pixelsAt = Le32(bmp, 10);
    const quint32 infoSize = Le32(bmp, kFileHeader);
    const qint32 width = qint32(Le32(bmp, kFileHeader + 4));
    const qint32 rawHeight = qint32(Le32(bmp, kFileHeader + 8));
    const int bits = Le16(bmp, kFileHeader + 14);
    const quint32 compression = Le32(bmp, kFileHeader + 16);
    quint32 colours = Le32(bmp, kFileHeader + 32);
    if (infoSize < 40 || compression != 0 || width <= 0 || rawHeight == 0 ||
        rawHeight == std::numeric_limits<qint32>::min())
        return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return {};
    // Rows run bottom-up unless the height is negative.
    const bool bottomUp = rawHeight > 0;
    const qint64 height = bottomUp ? rawHeight : -qint64(rawHeight);
    if (qint64(width) * height > kMaxPixels)
        return {};
    if (bits <= 8 && colours == 0)
        colours = 1u << bits;
    const qsizetype paletteAt = kFileHeader + infoSize;
    if (bits <= 8 && (colours > 256 || paletteAt + qsizetype(colours) * 4 > bmp.size()))
        return {};
    const qsizetype stride = ((qsizetype(width) * bits + 31) / 32) * 4;
    if (qsizetype(pixelsAt) + stride * height > bmp.size())
        return {};

    QByteArray raw;
    raw.reserve((1 + qsizetype(width) * 3) * height);
    for (qint64 y = 0; y < height; ++y) {
        const char* row = bmp.constData() + pixelsAt + stride * (bottomUp ? height - 1 - y : y);
        raw += '\0'; // no filter
        for (qint32 x = 0; x < width; ++x) {
            const char* bgr;
            if (bits <= 8) {
                const int perByte = 8 / bits;
                const quint8 byte = quint8(row[x / perByte]);
                const int shift = (perByte - 1 - x % perByte) * bits;
                const quint32 index = (byte >> shift) & ((1u << bits) - 1);
                if (index >= colours)
                    return {};
                bgr = bmp.constData() + paletteAt + index * 4;
            } else {
                bgr = row + qsizetype(x) * (bits / 8);
            }
            raw += bgr[2];
            raw += bgr[1];
            raw += bgr[0];
        }
    }
    return RgbRowsAsPng(quint32(width), quint32(height), raw);
}

QByteArray RgbRowsAsPng(quint32 width, quint32 height, const QByteArray& rows) {
    QByteArray header = BigEndian(width) + BigEndian(height);
    header += QByteArray("\x08\x02\x00\x00\x00", 5); // 8-bit RGB
    // qCompress puts the length before the zlib stream PNG wants.
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) +
           Chunk("IDAT", qCompress(rows).mid(4)) + Chunk("IEND", {});
}

} // namespace pellomar
