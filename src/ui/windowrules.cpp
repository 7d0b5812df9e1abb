// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowrules.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "services/service.h"

#include <algorithm>

namespace pellomar {

namespace {

constexpr int kWheelStep = 3;

QString WithoutLineBreaks(QString text) {
    text.remove(u'\r');
    text.remove(u'\n');
    return text;
}

} // namespace

std::optional<GridLayoutTwips> LayoutForWindow(int windowWidth, int windowHeight) {
    if (windowHeight <= kMinLayoutHeightTwips)
        return std::nullopt;
    GridLayoutTwips layout;
    layout.listWidth = windowWidth - kListMarginTwips;
    layout.gridWidth = layout.listWidth;
    // Between 3200 and 3300 the allowance would ask for a negative height.
    layout.gridHeight = std::max(0, windowHeight - kGridHeightAllowanceTwips);
    return layout;
}

std::optional<int> WheelTopRow(int topRow, int rowCount, int delta, bool modifiersHeld) {
    if (modifiersHeld)
        return std::nullopt;
    if (delta == -kWheelNotch)
        return topRow + kWheelStep < rowCount ? topRow + kWheelStep : topRow;
    if (delta == kWheelNotch)
        return topRow > kWheelStep ? topRow - kWheelStep : 1;
    return std::nullopt;
}

QString StatusLineAddress(const QString& line) {
    // A queued picture: its row number, a line break, its address.
    const qsizetype lineBreak = line.indexOf(u"\r\n");
    if (lineBreak >= 0)
        return WithoutLineBreaks(line.mid(lineBreak + 2));
    if (line.contains(u"http"))
        return WithoutLineBreaks(line);
    return {};
}

QUrl ArticleToOpen(const AppState& state, int row) {
    const ArticleTable& table = state.table();
    if (row < 1 || row > table.ArticleCount())
        return {};
    if (table.Cell(row, ArticleTable::Mark) == u"●") {
        const TaskPaths paths = state.Paths();
        const QString file = paths.ArticleFile(table.Cell(row, ArticleTable::Category),
                                               table.Cell(row, ArticleTable::Link));
        return file.isEmpty() ? QUrl() : QUrl::fromLocalFile(file);
    }
    return QUrl(ArticleAddress(state, row), QUrl::TolerantMode);
}

} // namespace pellomar
