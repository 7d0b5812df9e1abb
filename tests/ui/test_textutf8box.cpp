// SPDX-License-Identifier: GPL-3.0-or-later
// The window's UTF-8 box beside "转TXT": remembered, and the text export follows it.
#include "core/appstate.h"
#include "core/filenames.h"
#include "download/engine.h"
#include "platform/textstream.h"
#include "ui/mainwindow.h"
#include "ui/newtaskdialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

TEST(TextUtf8Box, IsRememberedAndTheExportWritesUtf8) {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(u"config"_qs));
    Engine engine(dir.path());
    {
        MainWindow first(engine);
        auto* box = first.findChild<QCheckBox*>(QStringLiteral("textUtf8Box"));
        ASSERT_TRUE(box);
        EXPECT_FALSE(box->isChecked()) << "GBK by default";
        box->click();
    }
    MainWindow window(engine);
    auto* box = window.findChild<QCheckBox*>(QStringLiteral("textUtf8Box"));
    ASSERT_TRUE(box && box->isChecked());

    AppState& state = engine.state();
    state.taskName = QStringLiteral("博客");
    ASSERT_TRUE(state.table().AddArticle(u"标题"_qs, u"c"_qs, u"1.html"_qs, u"d"_qs));
    const QString page = state.Paths().ArticleFile(u"c"_qs, u"1.html"_qs);
    QDir().mkpath(QFileInfo(page).path());
    ASSERT_TRUE(WriteTextFile(page, u"<p>正文</p>"_qs));
    QSignalSpy finished(&window, &MainWindow::operationFinished);
    window.findChild<QPushButton*>(QStringLiteral("Command7"))->click();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10'000));
    QFile text(dir.filePath(u"博客TXT/c/标题.txt"_qs));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(text.readAll(), u"正文\n"_qs.toUtf8());
}
