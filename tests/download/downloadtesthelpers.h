// SPDX-License-Identifier: GPL-3.0-or-later
// Small file helpers shared by the download tests.
#pragma once

#include "download/downloadlog.h"
#include "platform/textstream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <functional>

namespace pellomar::test {

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

inline QString ReadCp936(const QString& path) {
    return DecodeBytes(ReadBytes(path), QStringLiteral("GB2312"));
}

// The lines of a CR LF text file; a file not ending in CR LF gets a last line "<no CR LF>".
inline QStringList FileLines(const QString& path) {
    QStringList lines = ReadCp936(path).split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    else
        lines.append(QStringLiteral("<no CR LF>"));
    return lines;
}

// The messages of the download log, without their time of day.
inline QStringList LogMessages(const QString& programFolder) {
    QStringList messages;
    for (const QString& line : FileLines(programFolder + u'/' + kDownloadLogName))
        messages.append(line.mid(line.indexOf(u' ') + 1));
    return messages;
}

// Every file below a folder, as paths relative to it, sorted.
inline QStringList FilesBelow(const QString& folder) {
    QStringList files;
    const QDir root(folder);
    const std::function<void(const QString&)> walk = [&](const QString& path) {
        const QFileInfoList entries = QDir(path).entryInfoList(
            QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        for (const QFileInfo& info : entries) {
            if (info.isDir())
                walk(info.filePath());
            else
                files.append(root.relativeFilePath(info.filePath()));
        }
    };
    walk(folder);
    files.sort();
    return files;
}

} // namespace pellomar::test
