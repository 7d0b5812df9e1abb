// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/updatecheck.h"
#include "download/engine.h"
#include "platform/programfolder.h"
#include "services/service.h"
#include "ui/chinese.h"
#include "ui/loginbar.h"
#include "ui/mainwindow.h"
#include "ui/newtaskdialog.h"
#ifdef PELLOMAR_HAS_BROWSER
#include "browser/browserenvironment.h"
#include "browser/logindialog.h"
#include "browser/loginprofile.h"
#include "browser/webbrowserview.h"
#endif

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>

int main(int argc, char** argv) {
#ifdef PELLOMAR_HAS_BROWSER
    pellomar::PrepareBrowserEnvironment();
#endif
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
#ifdef PELLOMAR_HAS_BROWSER
    // Sohu and NetEase lists are read through it; start-up loads its blank page.
    pellomar::WebBrowserView browser;
    engine.state().SetBrowser(&browser);
    // The user's login, kept between runs; only the services' cookies reach the engine.
    pellomar::LoginProfile login(engine.state().network(), &pellomar::IsServiceCookie);
#endif
    pellomar::MainWindow window(engine);
    QObject::connect(&window, &pellomar::MainWindow::closed, &app, &QApplication::quit);
#ifdef PELLOMAR_HAS_BROWSER
    window.login().SetHooks({[&login](QWidget* parent) {
                                 pellomar::LoginDialog::Open(
                                     login, pellomar::SinaService().loginAddress, parent);
                             },
                             [&login] { login.LogOut(); }});
    login.LoadCookies();
#endif
    window.updateCheck().Enable();
    window.show();
    if (!parser.positionalArguments().isEmpty()) {
        const QString path =
            QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath();
        // Start-up ends once the browser's blank page has loaded; the task comes after it.
        if (window.Busy())
            QObject::connect(
                &window, &pellomar::MainWindow::operationFinished, &window,
                [&window, path] { window.OpenTaskFile(path); }, Qt::SingleShotConnection);
        else
            window.OpenTaskFile(path);
    }
    return app.exec();
}
