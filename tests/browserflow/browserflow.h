// SPDX-License-Identifier: GPL-3.0-or-later
// Chromium takes its proxy once per process, so one loopback server (made in main) serves
// every test's blogs.
#pragma once

#include "core/appstate.h"
#include "support/fixtureserver.h"

namespace pellomar::test {

inline FixtureServer* flowServer = nullptr;

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
