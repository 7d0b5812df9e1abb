// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"
#include "cli/console.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

QCoro::Task<> RunAndQuit(QStringList arguments, pellomar::cli::Console& console) {
    const int status = co_await pellomar::cli::Run(std::move(arguments), console);
    QCoreApplication::exit(status);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The same name as the window program: both default to the same program folder.
    QCoreApplication::setApplicationName(QStringLiteral("pellomar"));

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    pellomar::cli::Console console(out, err, isatty(fileno(stderr)) != 0);

    // Started from inside the event loop, so that an exit right away still ends it.
    QTimer::singleShot(0, &app, [&console] {
        // The task may outlive this handler: it finishes on its own and ends the loop.
        auto task = RunAndQuit(QCoreApplication::arguments(), console);
    });
    return QCoreApplication::exec();
}
