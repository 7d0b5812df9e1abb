// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/downloadsteps.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "download/picturequeue.h"
#include "platform/eventloop.h"

#include <QFile>
#include <QFileInfo>

namespace pellomar {

bool IsOnDisk(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).size() > 0;
}

bool IsCutOffDocument(QStringView page) {
    const QStringView start = page.trimmed();
    const bool document = start.startsWith(u"<!doctype", Qt::CaseInsensitive) ||
                          start.startsWith(u"<html", Qt::CaseInsensitive);
    return document && !page.contains(u"</html", Qt::CaseInsensitive);
}

bool IsFinishedPage(const QString& path) {
    if (!IsOnDisk(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Only a page saved whole opens as a document; a body cut out of one never does.
    constexpr qint64 kHead = 64;
    const QByteArray head = file.peek(kHead);
    if (!IsCutOffDocument(QString::fromLatin1(head)))
        return true;
    return !IsCutOffDocument(QString::fromLatin1(file.readAll()));
}

void AdvanceSpinner(AppState& state, int slot) {
    if (slot < 0 || slot >= AppState::kSlots)
        return;
    quint8& step = state.slotSpinner[slot];
    ++step;
    if (step >= 3)
        step = 0;
    static const QString symbols[3] = {QStringLiteral("★"), QStringLiteral("◆"),
                                       QStringLiteral("■")};
    state.SetIndicator(slot, symbols[step]);
}

QCoro::Task<int> NextPendingArticle(AppState& state, int from) {
    ArticleTable& table = state.table();
    const TaskPaths paths = state.Paths();
    const int count = table.ArticleCount();
    for (int row = std::max(from, 1); row <= count; ++row) {
        if (!table.Cell(row, ArticleTable::Mark).isEmpty())
            continue;
        if (row % 100 == 0)
            co_await YieldOnce{};
        // A path that would leave the task folder counts as missing: the row is fetched
        // and page processing gives it up.
        const QString file = paths.ArticleFile(table.Cell(row, ArticleTable::Category),
                                               table.Cell(row, ArticleTable::Link));
        if (!IsFinishedPage(file))
            co_return row;
        table.SetMark(row, kMarkDone);
        state.SetCaption(u"下载文章：" + QString::number(row) + u'/' + QString::number(count));
        ShowDownloadProgress(state, Progress::Download);
    }
    co_return 0;
}

void ShowDownloadProgress(AppState& state, Progress::Step step) {
    const ArticleTable& table = state.table();
    const PictureQueue* queue = state.pictureQueue;
    const int picturesSaved = queue ? queue->Saved() : 0;
    const int picturesFailed = queue ? int(queue->Failed().size()) : 0;
    Progress progress;
    progress.step = step;
    progress.picturesLeft = state.statusLog().Count() + (queue ? queue->InFlight() : 0);
    progress.failed = table.MarkCount(kMarkFailed) + picturesFailed;
    if (step == Progress::Pictures) {
        progress.done = picturesSaved + picturesFailed;
        progress.total = progress.done + progress.picturesLeft;
    } else {
        progress.done = table.MarkCount(kMarkDone) + table.MarkCount(kMarkFailed);
        progress.total = table.ArticleCount();
    }
    state.SetProgress(progress);
}

} // namespace pellomar
