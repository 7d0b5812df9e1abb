// SPDX-License-Identifier: GPL-3.0-or-later
// What the browser-driven tests share: the run's loopback server and the rows found.
#pragma once

#include "core/appstate.h"
#include "support/browserserver.h"

namespace pellomar::test {

// Title, category, link, date and number within the category of every row.
inline QList<QStringList> Rows(const AppState& state) {
    QList<QStringList> rows;
    for (int row = 1; row <= state.table().ArticleCount(); ++row) {
        rows.append(QStringList());
        for (int column = ArticleTable::Title; column <= ArticleTable::Ordinal; ++column)
            rows.last() << state.table().Cell(row, column);
    }
    return rows;
}

} // namespace pellomar::test
