// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

TEST(AppState, SetButtonsSetsExactlyTheSixInOrder) {
    QTemporaryDir dir;
    AppState state(dir.path());
    QSignalSpy changed(&state, &AppState::buttonsChanged);
    state.SetButtons({true, false, false, true, false, true});
    EXPECT_EQ(state.Buttons(), (std::array<bool, 6>{true, false, false, true, false, true}));
    state.SetButtons({false, true, true, false, true, false});
    EXPECT_EQ(state.Buttons(), (std::array<bool, 6>{false, true, true, false, true, false}));
    EXPECT_TRUE(state.ButtonEnabled(AppState::Download));
    EXPECT_TRUE(state.ButtonEnabled(AppState::MakeChm));
    EXPECT_TRUE(state.ButtonEnabled(AppState::ExportTask));
    EXPECT_FALSE(state.ButtonEnabled(AppState::NewTask));
    EXPECT_FALSE(state.ButtonEnabled(AppState::Folder));
    EXPECT_FALSE(state.ButtonEnabled(AppState::ImportTask));
    EXPECT_EQ(changed.count(), 2);
}

TEST(AppState, PerPageReadsTheBoxOrFallsBackTo20) {
    QTemporaryDir dir;
    AppState state(dir.path());
    EXPECT_EQ(state.PerPageText(), QStringLiteral("20"));
    const std::pair<const char16_t*, int> cases[] = {
        {u"20", 20},  {u"1", 1}, {u"255", 255}, {u"0", 20},  {u"256", 20},
        {u"abc", 20}, {u"", 20}, {u"-5", 20},   {u"7x", 20}, {u"99999999999", 20}};
    for (const auto& [text, expected] : cases) {
        state.SetPerPageText(QString::fromUtf16(text));
        EXPECT_EQ(state.PerPage(), expected) << QString::fromUtf16(text).toStdString();
    }
}
