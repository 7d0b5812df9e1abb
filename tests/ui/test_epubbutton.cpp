// SPDX-License-Identifier: GPL-3.0-or-later
// The window's "生成EPUB" button: beside "生成CHM", on exactly when it is, and wired to the
// export.
#include "core/appstate.h"
#include "download/engine.h"
#include "ui/mainwindow.h"
#include "ui/newtaskdialog.h"
#include "uitest.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

TEST(EpubButton, FollowsMakeChmAndStartsTheExport) {
    QTemporaryDir dir;
    Engine engine(dir.path());
    MainWindow window(engine);
    window.show();
    auto* epub = window.findChild<QPushButton*>(QStringLiteral("epubButton"));
    auto* chm = window.findChild<QPushButton*>(QStringLiteral("Command3"));
    ASSERT_TRUE(epub && chm);
    const QLayout* bar = chm->parentWidget()->layout();
    EXPECT_EQ(bar->indexOf(epub), bar->indexOf(chm) + 1);

    AppState& state = engine.state();
    for (const ButtonStates& states : {buttons::kAtStartUp, buttons::kDownloaded, buttons::kBusy,
                                       buttons::kChmBuilt, buttons::kDownloaded}) {
        state.SetButtons(states);
        EXPECT_EQ(epub->isEnabled(), chm->isEnabled());
        EXPECT_EQ(chm->isEnabled(), states[AppState::MakeChm]);
    }

    // A task with no folder: the export runs and says why it made nothing.
    state.taskName = QStringLiteral("无此任务");
    QSignalSpy finished(&window, &MainWindow::operationFinished);
    epub->click();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10'000));
    EXPECT_TRUE(state.Caption().startsWith(u"生成EPUB失败")) << state.Caption().toStdString();
    EXPECT_EQ(state.Buttons(), buttons::kDownloaded);
}
