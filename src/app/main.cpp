// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/updatecheck.h"
#include "download/engine.h"
#include "platform/browserplugin.h"
#include "platform/loginstorage.h"
#include "platform/programfolder.h"
#include "services/service.h"
#include "ui/chinese.h"
#include "ui/loginbar.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"
#include "ui/newtaskdialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <memory>

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
    pellomar::AppState& state = engine.state();
    // Sohu and NetEase lists are read through it: the first such task loads it.
    state.UseBrowserPlugin();
    // The login of earlier runs, without the browser; it comes only for 登录 or 退出登录.
    pellomar::LoadLoginCookies(state.network(), &pellomar::IsServiceCookie);
    std::unique_ptr<pellomar::BrowserLogin> login;
    const auto browserLogin = [&login, &state](QWidget* parent) -> pellomar::BrowserLogin* {
        QString problem;
        if (!login)
            if (pellomar::BrowserPlugin* plugin = pellomar::LoadBrowserPlugin(&problem))
                login = plugin->MakeLogin(state.network(), &pellomar::IsServiceCookie);
        if (!login)
            pellomar::ShowPlainMessage(parent,
                                       problem.isEmpty() ? QStringLiteral("不能登录") : problem);
        return login.get();
    };
    pellomar::MainWindow window(engine);
    QObject::connect(&window, &pellomar::MainWindow::closed, &app, &QApplication::quit);
    if (!pellomar::BrowserPluginPath().isEmpty())
        window.login().SetHooks({[browserLogin](QWidget* parent) {
                                     if (pellomar::BrowserLogin* login = browserLogin(parent))
                                         login->Open(pellomar::SinaService().loginAddress, parent);
                                 },
                                 [browserLogin, &window] {
                                     if (pellomar::BrowserLogin* login = browserLogin(&window))
                                         login->LogOut();
                                 }});
    window.updateCheck().Enable();
    window.show();
    if (!parser.positionalArguments().isEmpty()) {
        const QString path =
            QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath();
        window.OpenTaskFile(path);
    }
    return app.exec();
}
