// SPDX-License-Identifier: GPL-3.0-or-later
// The download marks and the two small steps of the download driver that the tests and
// the driver share.
#pragma once

#include "core/progress.h"
#include "platform/httpclient.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar {

class AppState;

// Column 6 of a row: pending (empty), requested, done, failed.
inline const QString kMarkRequested = QStringLiteral("○");
inline const QString kMarkDone = QStringLiteral("●");
// Given up for this run (no answer, or its page could not be written): no file stands for
// it, so the next run fetches it again.
inline const QString kMarkFailed = QStringLiteral("×");

// Steps the indicator of one article slot through ★, ◆, ■.
void AdvanceSpinner(AppState& state, int slot);

// The first row, from `from` up to the last article, whose mark is empty and whose article
// file is no finished page; 0 when there is none. Rows passed on the way with an empty mark and
// an existing file are marked done. Rows before `from` must hold no empty mark.
QCoro::Task<int> NextPendingArticle(AppState& state, int from = 1);

// Tells the front ends how far the download is: articles finished (done or failed) of all,
// pictures left, failures so far; in the Pictures step the pictures finished of all.
void ShowDownloadProgress(AppState& state, Progress::Step step);

// A page or picture file with something in it: an empty file is what a full disk left in
// an earlier run, and stands for nothing.
bool IsOnDisk(const QString& path);

// A page that opens as a whole document but never reaches its "</html>": the transfer was
// cut, whatever its framing said (Qt takes a garbage chunk size for the last chunk).
bool IsCutOffDocument(QStringView page);

// An article file on disk that is a finished page: not empty, and not a document cut off.
bool IsFinishedPage(const QString& path);

} // namespace pellomar
