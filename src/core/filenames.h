// SPDX-License-Identifier: GPL-3.0-or-later
// File names made from page text, and the one guard that keeps every write of a task
// inside its task folder.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace pellomar {

class ArticleTable;

// The fifteen replacements that turn page text into a file or folder name. Never fails;
// applying it to its own result changes nothing.
QString SafeFileName(const QString& text);

// True when the name can stand as one entry inside a folder: not empty, not "." or "..",
// no path separator or NUL, and short enough for the file system.
bool IsSafePathComponent(const QString& name);

// The file names of a task's categories, given in the table's order: SafeFileName of each,
// except that a name whose files would meet those of an earlier category (page 1 of "日记"
// is "日记1.htm", the list of "日记1") or the task folder's own files ("index.html",
// "all.htm", and the CHM's project, contents and search index) gets "_2", "_3", ... appended. Names
// that meet nothing stay as they are.
QHash<QString, QString> CategoryFileNames(const QStringList& categories);

// A category's file as reached from the task folder: categoryName + separator + name, or
// the bare name when the category's name is empty, as its files lie in the task folder.
QString CategoryRelativePath(const QString& categoryName, const QString& name, QChar separator);

// Paths inside a task folder. Each gives the empty text when a part would lead outside
// the folder (or cannot be a file name at all): callers write nothing then.
struct TaskPaths {
    QString programFolder;
    QString taskName;
    // Names categories without collisions; without it a category's name is its cleaned text.
    const ArticleTable* table = nullptr;

    // The name a category's folder, pages and files are made from.
    QString CategoryName(const QString& category) const;

    // programFolder/taskName, or empty for a task name that is no safe component.
    QString TaskFolder() const;
    // TaskFolder/CategoryName(category); a category named "" has the task folder itself.
    QString CategoryFolder(const QString& category) const;
    // CategoryFolder/link (the link cell, not cleaned). A category named "" gets no file
    // whose name is TakenInTaskFolder.
    QString ArticleFile(const QString& category, const QString& link) const;
    // The local name of a picture: the first 100 characters of SafeFileName(address).
    static QString PictureName(const QString& address);
    // CategoryFolder/PictureName(address), refused as ArticleFile is.
    QString PictureFile(const QString& category, const QString& address) const;
    // TaskFolder/name, for the index pages and the project files.
    QString InTaskFolder(const QString& name) const;
    // True when a file of that name in the task folder would take the place of the
    // folder's own files (index, full list, CHM project files) or of a category's folder,
    // list or pages, the empty-named category's "1.htm" too. Letter case aside, as some
    // file systems do.
    bool TakenInTaskFolder(const QString& name) const;
};

} // namespace pellomar
