// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/updatecheck.h"
#include "download/engine.h"
#include "platform/programfolder.h"
#include "ui/chinese.h"
#include "ui/mainwindow.h"
#include "ui/newtaskdialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pellomar"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pellomar"));
    QApplication::setDesktopFileName(QStringLiteral("pellomar"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pellomar")));
    // Message boxes and the file picker are windows of their own: only the main window's
    // close ends the process.
    QApplication::setQuitOnLastWindowClosed(false);
    pellomar::InstallQtChinese();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Backs up a blog into local pages, CHM or text."));
    parser.addHelpOption();
    const QCommandLineOption dirOption(
        QStringLiteral("dir"),
        QStringLiteral("The folder for task folders, task files, CHM files and the log."),
        QStringLiteral("FOLDER"));
    parser.addOption(dirOption);
    parser.addPositionalArgument(QStringLiteral("TASKFILE"),
                                 QStringLiteral("A task file (.ini) to load, as 导入 does."),
                                 QStringLiteral("[TASKFILE]"));
    parser.process(app);

    pellomar::Engine engine(pellomar::ResolveProgramFolder(parser.value(dirOption)));
    pellomar::MainWindow window(engine);
    QObject::connect(&window, &pellomar::MainWindow::closed, &app, &QApplication::quit);
    window.updateCheck().Enable();
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.OpenTaskFile(
            QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath());
    return app.exec();
}
