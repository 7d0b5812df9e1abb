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

namespace {

constexpr qint64 kContentOffsetField = 0x58;
constexpr qint64 kListingHeadSize = 0x14;
constexpr qint64 kFreeSpaceField = 0x04;
constexpr quint16 kSystemLocaleEntry = 4;
constexpr qint64 kSearchFlagInEntry = 8;

// The directory's numbers: seven bits a byte, highest first.
bool ReadEncInt(const QByteArray& bytes, qint64& at, qint64 end, quint64& value) {
    value = 0;
    for (int i = 0; i < 9 && at < end; ++i) {
        const quint8 byte = quint8(bytes[at++]);
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

// Where "/#SYSTEM" lies in section 0, from the listing chunks.
bool FindSystemFile(QFile& file, qint64 directory, qint32 chunkSize, qint32 chunks, quint64& offset,
                    quint64& length) {
    for (qint32 chunk = 0; chunk < chunks; ++chunk) {
        if (!file.seek(directory + kItspSize + qint64(chunk) * chunkSize))
            return false;
        const QByteArray bytes = file.read(chunkSize);
        if (bytes.size() < chunkSize || !bytes.startsWith("PMGL"))
            continue;
        const qint64 end = chunkSize - qint64(quint32(Int32At(bytes, kFreeSpaceField)));
        qint64 at = kListingHeadSize;
        while (at < end) {
            quint64 nameLength = 0, section = 0;
            if (!ReadEncInt(bytes, at, end, nameLength) || at + qint64(nameLength) > end)
                return false;
            const QByteArray name = bytes.mid(at, qint64(nameLength));
            at += qint64(nameLength);
            if (!ReadEncInt(bytes, at, end, section) || !ReadEncInt(bytes, at, end, offset) ||
                !ReadEncInt(bytes, at, end, length))
                return false;
            if (name == "/#SYSTEM")
                return section == 0;
        }
    }
    return false;
}

} // namespace

bool MarkChmSearchable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray itsf = file.read(kContentOffsetField + 8);
    if (itsf.size() < kContentOffsetField + 8 || !itsf.startsWith("ITSF"))
        return false;
    const qint64 directory = qFromLittleEndian<qint64>(itsf.constData() + kDirectoryOffsetField);
    const qint64 content = qFromLittleEndian<qint64>(itsf.constData() + kContentOffsetField);
    if (!file.seek(directory))
        return false;
    const QByteArray itsp = file.read(kItspSize);
    if (itsp.size() < kItspSize || !itsp.startsWith("ITSP"))
        return false;
    const qint32 chunkSize = Int32At(itsp, kChunkSizeField);
    const qint32 chunks = Int32At(itsp, kChunkCountField);
    if (chunkSize < kListingHeadSize || chunks < 0 || chunks > (1 << 20))
        return false;
    quint64 offset = 0, length = 0;
    if (!FindSystemFile(file, directory, chunkSize, chunks, offset, length) || length > (1 << 20))
        return false;
    if (!file.seek(content + qint64(offset)))
        return false;
    const QByteArray system = file.read(qint64(length));
    // A version number, then entries of a code, a length and that many bytes.
    for (qint64 at = 4; at + 4 <= system.size();) {
        const quint16 code = qFromLittleEndian<quint16>(system.constData() + at);
        const quint16 size = qFromLittleEndian<quint16>(system.constData() + at + 2);
        if (code == kSystemLocaleEntry && size >= kSearchFlagInEntry + 4) {
            const qint32 one = qToLittleEndian<qint32>(1);
            return file.seek(content + qint64(offset) + at + 4 + kSearchFlagInEntry) &&
                   file.write(reinterpret_cast<const char*>(&one), 4) == 4 && file.flush();
        }
        at += 4 + size;
    }
    return false;
}

} // namespace pellomar
