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
// The service's own addresses are read in every form it writes them; a page that is a
// wall (login, a check for people) is not the article (see MeetWall); a cut title is
// replaced by the page's heading; a page saved whole for want of body markers is noted.
WriteResult ProcessArticlePage(AppState& state, const QString& servedPage, int row,
                               bool errorAnswer = false);

// Notes a row of the current run whose page had no body markers and was saved whole.
inline const QString kSavedWholeNote = QStringLiteral("没有找到正文标记，整页保存：");

// Notes a row whose page came cut off (it opens as a document but never ends).
inline const QString kCutOffNote = QStringLiteral("页面不完整（传输中断）：");

// The page written for an article that is gone: a note, a link to the article's address at
// the service, and a signature.
QString GonePlaceholder(ServiceKind kind, const QString& taskName, const QString& link);

// Counts one more attempt at the row; true when this was its fourth, which then forgets
// the row's attempts.
bool CountAttempt(QHash<int, int>& record, int row);

} // namespace pellomar
