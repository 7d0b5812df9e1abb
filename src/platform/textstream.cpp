// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textstream.h"

#include <cerrno>
#include <cstring>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextCodec>
#include <filesystem>
#include <system_error>

namespace pellomar {

namespace {

QTextCodec* Gb18030Codec() {
    static QTextCodec* const codec = QTextCodec::codecForName("GB18030");
    return codec;
}

// Code page 936 proper: two bytes at most, never the four-byte forms of GB18030.
QTextCodec* GbkCodec() {
    static QTextCodec* const codec = QTextCodec::codecForName("GBK");
    return codec;
}

bool IsChineseCharset(const QString& charset) {
    static const QStringList names = {QStringLiteral("GB2312"),  QStringLiteral("GBK"),
                                      QStringLiteral("GB18030"), QStringLiteral("CP936"),
                                      QStringLiteral("MS936"),   QStringLiteral("windows-936"),
                                      QStringLiteral("x-gbk"),   QStringLiteral("GB_2312-80")};
    return names.contains(charset.trimmed(), Qt::CaseInsensitive);
}

bool InRange(quint8 byte, quint8 low, quint8 high) {
    return byte >= low && byte <= high;
}

// GB18030 as browsers decode pages labelled GB2312 or GBK: a lone 0x80 (where a character
// begins) is the euro sign of code page 936, which GB18030 writes as A2 E3.
QString DecodeGb(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const quint8*>(bytes.constData());
    const qsizetype n = bytes.size();
    QByteArray gb;
    gb.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        const quint8 lead = data[i];
        qsizetype length = 1;
        if (lead == 0x80) {
            gb.append("\xA2\xE3", 2);
            ++i;
            continue;
        }
        if (lead > 0x80 && lead < 0xFF) {
            if (i + 1 >= n)
                break; // a lead byte with nothing after it
            const quint8 second = data[i + 1];
            if (InRange(second, 0x30, 0x39)) {
                const bool thirdFits = i + 2 < n && InRange(data[i + 2], 0x81, 0xFE);
                if (i + 2 >= n || (thirdFits && i + 3 >= n))
                    break; // a four-byte character cut short by the end
                if (thirdFits && InRange(data[i + 3], 0x30, 0x39))
                    length = 4;
            } else if (InRange(second, 0x40, 0x7E) || InRange(second, 0x80, 0xFE)) {
                length = 2;
            }
        }
        gb.append(bytes.constData() + i, length);
        i += length;
    }
    QString text = Gb18030Codec()->toUnicode(gb);
    // The decoder drops an unfinished character at the very end without a trace.
    if (i < n)
        text += QChar(QChar::ReplacementCharacter);
    return text;
}

} // namespace

QString DecodeBytes(const QByteArray& bytes, const QString& charset) {
    if (IsChineseCharset(charset) && Gb18030Codec())
        return DecodeGb(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    return utf8.decode(bytes);
}

QString ReadTextFile(const QString& path, const QString& charset, bool* ok) {
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    QByteArray bytes;
    if (opened)
        bytes = file.readAll();
    const bool read = opened && file.error() == QFileDevice::NoError;
    if (ok)
        *ok = read;
    return read ? DecodeBytes(bytes, charset) : QString();
}

QByteArray EncodeCp936(const QString& text) {
    // The codec puts "?" for anything code page 936 cannot hold (a surrogate pair counts
    // as one character).
    return GbkCodec()->fromUnicode(text);
}

bool FitsCp936(const QString& text) {
    return GbkCodec()->toUnicode(EncodeCp936(text)) == text;
}

namespace {

// Qt names some failures "Unknown error" (a full disk under QSaveFile); the system's own
// reason, when the failing call left one, says what happened.
WriteResult Failed(const QString& path, const QFileDevice& file) {
    const int code = errno;
    return {path + u": " +
            (code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : file.errorString())};
}

} // namespace

WriteResult MakeFolder(const QString& path) {
    if (QFileInfo(path).isDir())
        return {};
    std::error_code error;
    std::filesystem::create_directory(std::filesystem::path(path.toStdU16String()), error);
    if (error || !QFileInfo(path).isDir())
        return {path + u": " +
                (error ? QString::fromLocal8Bit(error.message()) : QStringLiteral("不是文件夹"))};
    return {};
}

WriteResult WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    errno = 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failed(path, file);
    // An unfinished save is discarded with its temporary file; the old file stays.
    // commit() alone can report success for buffered bytes a full disk never took.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Failed(path, file);
    if (!file.commit())
        return Failed(path, file);
    if (QFileInfo(path).size() != bytes.size())
        return {path + u": " + QStringLiteral("写入不完整")};
    return {};
}

WriteResult WriteTextFile(const QString& path, const QString& text) {
    return WriteFileAtomically(path, EncodeCp936(text));
}

WriteResult AppendTextFile(const QString& path, const QString& text) {
    return AppendToFile(path, EncodeCp936(text));
}

WriteResult AppendToFile(const QString& path, const QByteArray& bytes) {
    errno = 0;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return Failed(path, file);
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Failed(path, file);
    file.close();
    if (file.error() != QFileDevice::NoError)
        return Failed(path, file);
    return {};
}

} // namespace pellomar
