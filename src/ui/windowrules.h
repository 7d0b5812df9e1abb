// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's small rules, kept free of widgets so that each can be checked alone:
// how the list and the grid follow the window's size, how the wheel scrolls the grid, and
// what a double-click opens.
#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace pellomar {

class AppState;

inline constexpr int kTwipsPerPixel = 15;
// Below or at this height the window keeps its sizes.
inline constexpr int kMinLayoutHeightTwips = 3200;
// The window's width beyond the list's, and its height beyond the grid's.
inline constexpr int kListMarginTwips = 600;
inline constexpr int kGridHeightAllowanceTwips = 3300;

struct GridLayoutTwips {
    int listWidth = 0;
    int gridWidth = 0;
    int gridHeight = 0;
};

// The sizes for a window of this outer size, all in twips; none for a window too low to
// lay out, which then keeps its sizes.
std::optional<GridLayoutTwips> LayoutForWindow(int windowWidth, int windowHeight);

// One wheel notch, in eighths of a degree.
inline constexpr int kWheelNotch = 120;

// The grid's top row after one wheel event of angle delta (120 a notch; negative away from
// the user), or none for an event that moves nothing.
std::optional<int> WheelTopRow(int topRow, int rowCount, int delta, bool modifiersHeld);

// The address a status line opens, without any line-break character; empty for a line
// that opens nothing.
QString StatusLineAddress(const QString& line);

// What double-clicking article row opens: the local page once it is downloaded ("●"), the
// service's page otherwise; invalid for a row outside the articles.
QUrl ArticleToOpen(const AppState& state, int row);

} // namespace pellomar
