// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/chmdirectory.h"

#include <QFile>
#include <QtEndian>

namespace pellomar {

namespace {

// ITSF (file header), ITSP (directory header) and PMGL (listing chunk) offsets.
constexpr qint64 kDirectoryOffsetField = 0x48;
constexpr qint64 kItspSize = 0x54;
constexpr qint64 kChunkSizeField = 0x10;
constexpr qint64 kHeadField = 0x20;
constexpr qint64 kChunkCountField = 0x2c;
constexpr qint64 kPreviousChunkField = 0x0c;

qint32 Int32At(const QByteArray& bytes, qint64 offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

} // namespace

ChmDirectoryMend MendChmListingHead(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return ChmDirectoryMend::NotAChm;
    const QByteArray itsf = file.read(kDirectoryOffsetField + 8);
    if (itsf.size() < kDirectoryOffsetField + 8 || !itsf.startsWith("ITSF"))
        return ChmDirectoryMend::NotAChm;
    const qint64 directory = qFromLittleEndian<qint64>(itsf.constData() + kDirectoryOffsetField);
    if (!file.seek(directory))
        return ChmDirectoryMend::NotAChm;
    const QByteArray itsp = file.read(kItspSize);
    if (itsp.size() < kItspSize || !itsp.startsWith("ITSP"))
        return ChmDirectoryMend::NotAChm;
    const qint32 chunkSize = Int32At(itsp, kChunkSizeField);
    const qint32 chunks = Int32At(itsp, kChunkCountField);
    if (chunkSize < 0x14 || chunks < 0 || chunks > (1 << 20))
        return ChmDirectoryMend::NotAChm;

    for (qint32 chunk = 0; chunk < chunks; ++chunk) {
        if (!file.seek(directory + kItspSize + qint64(chunk) * chunkSize))
            return ChmDirectoryMend::NotAChm;
        const QByteArray head = file.read(kPreviousChunkField + 4);
        if (head.size() < kPreviousChunkField + 4)
            return ChmDirectoryMend::NotAChm;
        if (!head.startsWith("PMGL") || Int32At(head, kPreviousChunkField) != -1)
            continue;
        if (Int32At(itsp, kHeadField) == chunk)
            return ChmDirectoryMend::Unchanged;
        const qint32 value = qToLittleEndian<qint32>(chunk);
        if (!file.seek(directory + kHeadField) ||
            file.write(reinterpret_cast<const char*>(&value), 4) != 4 || !file.flush())
            return ChmDirectoryMend::NotAChm;
        return ChmDirectoryMend::Mended;
    }
    return ChmDirectoryMend::Unchanged;
}

} // namespace pellomar
