// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML Help project "blog.hhp" and contents "blog.hhc" of a task, built from the article
// table, and the caption the compile shows.
#pragma once

#include "platform/textstream.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace pellomar {

class ArticleTable;

inline const QString kProjectFileName = QStringLiteral("blog.hhp");
inline const QString kContentsFileName = QStringLiteral("blog.hhc");

// The project file's lines, joined with CR LF; the task name stands in it unchanged.
QString ProjectFileText(const QString& taskName, const ArticleTable& table);

// Who reads the contents file. The project's own copy keeps the template rule (every "#"
// becomes a double quote, names included) and "\" between folder and page. The compiler's
// copy uses "/" and writes a double quote or "#" inside a name as "&quot;", so that a title
// cannot end its attribute early.
enum class ContentsFor { Project, Compiler };

// The rows of the contents file, which the CHM's topics, its search index and the EPUB's
// chapters follow: for each category of the list in its order, its rows newest first.
QList<QList<int>> ContentsRows(const ArticleTable& table);

QString ContentsFileText(const ArticleTable& table, ContentsFor reader = ContentsFor::Project);

// The two files in code page 936, as they are written.
QByteArray ProjectFileBytes(const QString& taskName, const ArticleTable& table);
QByteArray ContentsFileBytes(const ArticleTable& table);

// Writes both into the task folder, whole; says which could not be written and why.
WriteResult WriteChmProject(const QString& taskFolder, const QString& taskName,
                            const ArticleTable& table);

// "打包第" A "/" (R + B) "个", with A = counter / 2 and B = rows / per-page, each rounded half
// to even. A per-page text that is no positive whole number shows the count alone.
QString PackingProgressText(qint32 counter, int rowCount, const QString& perPageText);

// The first n characters, never ending on half of a surrogate pair.
QString FirstCharacters(const QString& text, int n);

} // namespace pellomar
