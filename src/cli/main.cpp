// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"
#include "cli/console.h"
#include "platform/browserplugin.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

QCoro::Task<> RunAndQuit(QStringList arguments, pellomar::cli::Console& console) {
    const int status = co_await pellomar::cli::Run(std::move(arguments), console);
    QCoreApplication::exit(status);
}

// The application object: the browser plugin's, which the browser runs in, when the command
// will read through it; the plain one otherwise, which starts quicker and says nothing.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Without the plugin the reader says why it cannot read the list.
    if (pellomar::cli::NeedsBrowser(arguments))
        if (pellomar::BrowserPlugin* plugin = pellomar::LoadBrowserPlugin())
            return plugin->MakeApplication(argc, argv);
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    // The same name as the window program: both default to the same program folder.
    QCoreApplication::setApplicationName(QStringLiteral("pellomar"));

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    pellomar::cli::Console console(out, err, isatty(fileno(stderr)) != 0);

    // Started from inside the event loop, so that an exit right away still ends it.
    QTimer::singleShot(0, app.get(), [&console] {
        // The task may outlive this handler: it finishes on its own and ends the loop.
        auto task = RunAndQuit(QCoreApplication::arguments(), console);
    });
    return QCoreApplication::exec();
}
