// SPDX-License-Identifier: GPL-3.0-or-later
// File names made from page text, and the one guard that keeps every write of a task
// inside its task folder.
#pragma once

#include <QString>

namespace pellomar {

// The fifteen replacements that turn page text into a file or folder name. Never fails;
// applying it to its own result changes nothing.
QString SafeFileName(const QString& text);

// True when the name can stand as one entry inside a folder: not empty, not "." or "..",
// no path separator or NUL, and short enough for the file system.
bool IsSafePathComponent(const QString& name);

// Paths inside a task folder. Each gives the empty text when a part would lead outside
// the folder (or cannot be a file name at all): callers write nothing then.
struct TaskPaths {
    QString programFolder;
    QString taskName;

    // programFolder/taskName, or empty for a task name that is no safe component.
    QString TaskFolder() const;
    // TaskFolder/SafeFileName(category).
    QString CategoryFolder(const QString& category) const;
    // CategoryFolder/link (the link cell, not cleaned).
    QString ArticleFile(const QString& category, const QString& link) const;
    // The local name of a picture: the first 100 characters of SafeFileName(address).
    static QString PictureName(const QString& address);
    // CategoryFolder/PictureName(address).
    QString PictureFile(const QString& category, const QString& address) const;
    // TaskFolder/name, for the index pages and the project files.
    QString InTaskFolder(const QString& name) const;
};

} // namespace pellomar
