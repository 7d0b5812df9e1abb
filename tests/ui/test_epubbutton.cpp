// SPDX-License-Identifier: GPL-3.0-or-later
// The window's "生成EPUB" and "生成Markdown" buttons: beside "生成CHM", on exactly when it
// is, and wired to their exports.
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
#include <tuple>

using namespace pellomar;

TEST(EpubButton, FollowsMakeChmAndStartsTheExport) {
    // Each button, the place after 生成CHM, and how its export's caption starts.
    const QList<std::tuple<QString, int, QString>> exports = {
        {QStringLiteral("epubButton"), 1, QStringLiteral("生成EPUB失败")},
        {QStringLiteral("markdownButton"), 2, QStringLiteral("生成Markdown失败")}};
    for (const auto& [objectName, place, failed] : exports) {
        QTemporaryDir dir;
        Engine engine(dir.path());
        MainWindow window(engine);
        window.show();
        auto* button = window.findChild<QPushButton*>(objectName);
        auto* chm = window.findChild<QPushButton*>(QStringLiteral("Command3"));
        ASSERT_TRUE(button && chm) << objectName.toStdString();
        const QLayout* bar = chm->parentWidget()->layout();
        EXPECT_EQ(bar->indexOf(button), bar->indexOf(chm) + place);

        AppState& state = engine.state();
        for (const ButtonStates& states :
             {buttons::kAtStartUp, buttons::kDownloaded, buttons::kBusy, buttons::kChmBuilt,
              buttons::kDownloaded}) {
            state.SetButtons(states);
            EXPECT_EQ(button->isEnabled(), chm->isEnabled());
            EXPECT_EQ(chm->isEnabled(), states[AppState::MakeChm]);
        }

        // A task with no folder: the export runs and says why it made nothing.
        state.taskName = QStringLiteral("无此任务");
        QSignalSpy finished(&window, &MainWindow::operationFinished);
        button->click();
        ASSERT_TRUE(finished.count() > 0 || finished.wait(10'000));
        EXPECT_TRUE(state.Caption().startsWith(failed)) << state.Caption().toStdString();
        EXPECT_EQ(state.Buttons(), buttons::kDownloaded);
    }
}
