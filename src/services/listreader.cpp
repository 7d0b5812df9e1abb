// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/listreader.h"

#include "core/appstate.h"

namespace pellomar {

void AddFoundArticle(AppState& state, const QString& title, const QString& category,
                     const QString& link, const QString& date) {
    QString error;
    if (!state.table().AddArticle(title, category, link, date, &error))
        state.statusLog().Add(error);
}

} // namespace pellomar
