// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures queued but not yet on disk, kept in a small list beside the task folder
// (never in it, so that it is not packed): a run that ends early (killed, closed, crashed)
// leaves them to the next download, whose article pages already exist.
#pragma once

#include "platform/textstream.h"

#include <QString>
#include <QStringList>

namespace pellomar {

class AppState;

// Where the list lies: beside the task folder, never in it.
QString PendingPicturesPath(const AppState& state);

// Something stands at the path that is not a plain file: a folder, a link, a pipe.
bool IsStrangeFile(const QString& path);

// Adds queue entries (row, CR LF, address) to the list before their page is written.
WriteResult RecordPendingPictures(AppState& state, const QStringList& entries);

// Queues every listed picture whose file is still missing; returns how many.
int RequeuePendingPictures(AppState& state);

// At the end of a run: keeps only the pictures still missing, or removes the list.
WriteResult SettlePendingPictures(AppState& state);

} // namespace pellomar
