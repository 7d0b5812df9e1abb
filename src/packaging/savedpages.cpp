// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/savedpages.h"

#include "core/articletable.h"
#include "core/filenames.h"
#include "packaging/chmproject.h"
#include "packaging/htmlnodes.h"
#include "platform/textstream.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace pellomar {

QList<SavedArticle> SavedArticles(const ArticleTable& table, const TaskPaths& paths) {
    QList<SavedArticle> articles;
    const CategoryList& categories = table.Categories();
    const QList<QList<int>> rows = ContentsRows(table);
    for (int slot = 0; slot < categories.Size(); ++slot) {
        const QString& category = categories.names[slot];
        for (const int row : rows[slot]) {
            const QString page = paths.ArticleFile(category, table.Cell(row, ArticleTable::Link));
            if (page.isEmpty() || !QFileInfo(page).isFile())
                continue;
            QString title = table.Cell(row, ArticleTable::Title).trimmed();
            if (title.isEmpty())
                title = table.Cell(row, ArticleTable::Link);
            articles << SavedArticle{row, title, category, table.Cell(row, ArticleTable::Date),
                                     page};
        }
    }
    return articles;
}

QString ExportProblem(const TaskPaths& paths, const QString& outputName) {
    if (paths.TaskFolder().isEmpty() || !IsSafePathComponent(outputName))
        return u"任务名不能用作文件名：" + paths.taskName;
    if (!QFileInfo(paths.TaskFolder()).isDir())
        return u"任务文件夹不存在：" + QFileInfo(paths.TaskFolder()).absoluteFilePath();
    return {};
}

QString ReadSavedPage(const QString& path, bool* ok) {
    return ReadTextFile(path, QStringLiteral("GB2312"), ok);
}

QString LocalTarget(const QString& reference, const QString& pageFolder,
                    const QString& taskFolder) {
    if (IsRemoteReference(reference))
        return {};
    QString path = reference;
    path.replace(u'\\', u'/');
    path = QUrl::fromPercentEncoding(path.section(u'#', 0, 0).section(u'?', 0, 0).toUtf8());
    if (path.isEmpty() || path.startsWith(u'/'))
        return {};
    const QString target = QDir::cleanPath(pageFolder + u'/' + path);
    return target.startsWith(taskFolder + u'/') ? target : QString();
}

} // namespace pellomar
