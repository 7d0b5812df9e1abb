// SPDX-License-Identifier: GPL-3.0-or-later
// The article pages a finished download left on disk, as the exports that rewrite them
// (EPUB, Markdown) take them.
#pragma once

#include <QList>
#include <QString>

namespace pellomar {

class ArticleTable;
struct TaskPaths;

struct SavedArticle {
    int row = 0;
    QString title; // the link when the row has none
    QString category;
    QString date;
    QString pagePath;
};

// Category by category in the category list's order, the last row first within one, as
// the CHM's contents file lists them; rows whose page is not on disk are left out.
QList<SavedArticle> SavedArticles(const ArticleTable& table, const TaskPaths& paths);

// Why a task cannot be exported as `outputName` in the program folder (a task name that
// cannot be a file name, no task folder); empty when it can.
QString ExportProblem(const TaskPaths& paths, const QString& outputName);

// The page as the download saved it (code page 936), decoded; ok is false when it cannot be
// read.
QString ReadSavedPage(const QString& path, bool* ok = nullptr);

// A reference of a page as an absolute path on disk, or empty when it cannot be one inside
// the task folder (both folders absolute).
QString LocalTarget(const QString& reference, const QString& pageFolder, const QString& taskFolder);

} // namespace pellomar
