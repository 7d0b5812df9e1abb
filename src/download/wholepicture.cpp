// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/wholepicture.h"

#include <QtEndian>

namespace pellomar {

namespace {

quint32 LittleEndian32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// Some writers pad a picture after its last marker.
QByteArray WithoutPadding(const QByteArray& bytes) {
    qsizetype end = bytes.size();
    while (end > 0 && (bytes.at(end - 1) == '\0' || bytes.at(end - 1) == '\n' ||
                       bytes.at(end - 1) == '\r' || bytes.at(end - 1) == ' '))
        --end;
    return bytes.left(end);
}

} // namespace

bool IsWholePicture(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return WithoutPadding(bytes).endsWith("\xFF\xD9");
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return bytes.contains(QByteArrayLiteral("IEND\xAE\x42\x60\x82"));
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return WithoutPadding(bytes).endsWith('\x3B');
    if (bytes.startsWith("BM") && bytes.size() >= 6)
        return bytes.size() >= qsizetype(LittleEndian32(bytes, 2));
    if (bytes.startsWith("RIFF") && bytes.size() >= 12 && bytes.mid(8, 4) == "WEBP")
        return bytes.size() - 8 >= qsizetype(LittleEndian32(bytes, 4));
    return true;
}

} // namespace pellomar
