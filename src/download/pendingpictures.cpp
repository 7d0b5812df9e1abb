// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/pendingpictures.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "download/downloadsteps.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace pellomar {

namespace {

// One line per picture: the category, a tab, the address. The category, not the row,
// names the picture's folder, and rows may be numbered differently after an import.
struct Pending {
    QString category;
    QString address;
};

// Far more than any blog's pictures: a larger list is no list of ours.
constexpr qint64 kMaxListBytes = 16 * 1024 * 1024;

QList<Pending> ReadList(const AppState& state) {
    QList<Pending> pending;
    QSet<QString> seen;
    const QFileInfo info(PendingPicturesPath(state));
    if (!info.isFile() || info.isSymLink() || info.size() > kMaxListBytes)
        return pending;
    const QString text = ReadTextFile(PendingPicturesPath(state), QStringLiteral("UTF-8"));
    for (const QString& line : text.split(kCrLf, Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0 || seen.contains(line))
            continue;
        seen.insert(line);
        pending.append({line.left(tab), line.mid(tab + 1)});
    }
    return pending;
}

QString MissingLines(const AppState& state, const QList<Pending>& pending) {
    const TaskPaths paths = state.Paths();
    QString text;
    for (const Pending& picture : pending) {
        const QString file = paths.PictureFile(picture.category, picture.address);
        if (!file.isEmpty() && !IsOnDisk(file))
            text += picture.category + u'\t' + picture.address + kCrLf;
    }
    return text;
}

} // namespace

QString PendingPicturesPath(const AppState& state) {
    const QString folder = state.Paths().TaskFolder();
    return folder.isEmpty() ? QString() : folder + u".pictures";
}

bool IsStrangeFile(const QString& path) {
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && (!info.isFile() || info.isSymLink());
}

WriteResult RecordPendingPictures(AppState& state, const QStringList& entries) {
    const QString path = PendingPicturesPath(state);
    if (path.isEmpty() || entries.isEmpty())
        return {};
    QString text;
    for (const QString& entry : entries) {
        const qsizetype split = entry.indexOf(kCrLf);
        const int row = entry.left(split).toInt();
        text +=
            state.table().Cell(row, ArticleTable::Category) + u'\t' + entry.mid(split + 2) + kCrLf;
    }
    // UTF-8: a category or address outside code page 936 must come back as it was.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {path + u": " + file.errorString()};
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush())
        return {path + u": " + file.errorString()};
    return {};
}

int RequeuePendingPictures(AppState& state) {
    const QList<Pending> pending = ReadList(state);
    if (pending.isEmpty())
        return 0;
    const ArticleTable& table = state.table();
    QHash<QString, int> rowOf;
    for (int row = table.ArticleCount(); row >= 1; --row)
        rowOf.insert(table.Cell(row, ArticleTable::Category), row);
    const TaskPaths paths = state.Paths();
    int queued = 0;
    for (const Pending& picture : pending) {
        const QString file = paths.PictureFile(picture.category, picture.address);
        const int row = rowOf.value(picture.category);
        if (row == 0 || file.isEmpty() || IsOnDisk(file))
            continue;
        state.statusLog().Add(QString::number(row) + kCrLf + picture.address);
        ++queued;
    }
    return queued;
}

WriteResult SettlePendingPictures(AppState& state) {
    const QString path = PendingPicturesPath(state);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    const QString missing = MissingLines(state, ReadList(state));
    if (missing.isEmpty()) {
        QFile::remove(path);
        return {};
    }
    return WriteFileAtomically(path, missing.toUtf8());
}

} // namespace pellomar
