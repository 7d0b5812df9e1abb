// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/chmsearch.h"

#include "core/appstate.h"
#include "core/articletable.h"
#include "core/filenames.h"
#include "packaging/chmproject.h"
#include "packaging/chmsearchindex.h"
#include "platform/eventloop.h"
#include "platform/textstream.h"

#include <QFile>

namespace pellomar {

QCoro::Task<QByteArray> BuildSearchIndex(AppState& state) {
    constexpr int kPagesPerTurn = 20;
    const ArticleTable& table = state.table();
    const TaskPaths paths = state.Paths();
    const CategoryList& categories = table.Categories();
    const QList<QList<int>> rows = ContentsRows(table);
    const int articles = table.ArticleCount();

    FullTextIndexBuilder index;
    // The category entries come first and are not indexed.
    auto topic = quint32(categories.Size());
    int done = 0;
    for (int slot = 0; slot < categories.Size(); ++slot) {
        const QString& category = categories.names[slot];
        for (const int row : rows[slot]) {
            const quint32 entry = topic++;
            QFile page(paths.ArticleFile(category, table.Cell(row, ArticleTable::Link)));
            if (page.open(QIODevice::ReadOnly))
                ForEachSearchWord(
                    PageSearchText(DecodeBytes(page.readAll(), QStringLiteral("GB2312"))),
                    [&index, entry](const QByteArray& word) { index.Add(entry, word, false); });
            ForEachSearchWord(
                table.Cell(row, ArticleTable::Title),
                [&index, entry](const QByteArray& word) { index.Add(entry, word, true); });
            if (++done % kPagesPerTurn == 0) {
                state.SetCaption(u"建立全文索引：" + QString::number(done) + u'/' +
                                 QString::number(articles));
                state.SetProgress({Progress::SearchIndex, done, articles});
                co_await YieldOnce{};
            }
        }
    }
    state.SetProgress({Progress::SearchIndex, done, articles});
    co_return index.Finish(quint32(done));
}

} // namespace pellomar
