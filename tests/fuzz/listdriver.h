// SPDX-License-Identifier: GPL-3.0-or-later
// A list reader driven the way the discovery driver drives it, with a fake fetch: the
// input's first part is the first page, its second part every list page the reader queued.
// The queue may hold no more pages than the highest page number the page writes (a paging
// number is read as 0 to 32767).
#pragma once

#include "core/appstate.h"
#include "fuzzsupport.h"
#include "platform/textstream.h"
#include "services/listreader.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

namespace pellomar::fuzz {

// The highest page number the text writes: its largest run of digits, at most 32767.
inline int HighestClaim(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    int highest = 0;
    for (auto it = digits.globalMatch(text); it.hasNext();) {
        const QString run = it.next().captured();
        highest = std::max(highest, run.size() > 5 ? 32767 : std::min(run.toInt(), 32767));
    }
    return highest;
}

// Both readers decode their pages as code page 936.
inline void DriveListReader(ServiceKind kind, const QByteArray& input, const QString& task) {
    EnsureApplication();
    // One state for every input, reset as each discovery run resets it.
    static QTemporaryDir dir;
    static AppState state(dir.path());
    state.serviceKind = kind;
    state.taskName = task;
    state.table().Reset();
    state.statusLog().Clear();

    const QList<QByteArray> parts = Parts(input, 2);
    const std::unique_ptr<ListReader> reader = MakeListReader(kind);
    reader->ReadFirstPage(state, parts[0]);
    const QStringList queued = state.statusLog().Lines();
    Check(queued.size() <= HighestClaim(DecodeBytes(parts[0], QStringLiteral("GB2312"))) + 1);

    // Every queued page answers with the same body: reading it once per page adds nothing
    // new after the first, so two visits show what repeated pages do.
    for (qsizetype i = 0; i < std::min<qsizetype>(queued.size(), 2); ++i)
        RunToEnd(reader->ReadListPage(state, parts[1]));
}

} // namespace pellomar::fuzz
