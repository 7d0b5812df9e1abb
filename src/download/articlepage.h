// SPDX-License-Identifier: GPL-3.0-or-later
// One downloaded article page made into its local page file.
#pragma once

#include "platform/textstream.h"
#include "services/service.h"

#include <QHash>
#include <QString>

namespace pellomar {

class AppState;

// Cuts the body out of the page, localises its pictures, writes the page file and decides
// from an (almost) empty result whether the row is fetched again or given up as gone.
// Afterwards the row's mark is either left as it was (a file stands for the article) or
// empty (to be fetched again; no file stands for it). An error answer (no 2xx status)
// gives no body, but its text is still searched for the service's gone-page markers. An
// empty result never replaces a file already there. Fails with the path and the reason
// when the folder or the file cannot be written.
WriteResult ProcessArticlePage(AppState& state, const QString& page, int row,
                               bool errorAnswer = false);

// The page written for an article that is gone: a note, a link to the article's address at
// the service, and a signature.
QString GonePlaceholder(ServiceKind kind, const QString& taskName, const QString& link);

// Counts one more attempt at the row; true when this was its fourth, which then forgets
// the row's attempts.
bool CountAttempt(QHash<int, int>& record, int row);

} // namespace pellomar
