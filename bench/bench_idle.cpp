// SPDX-License-Identifier: GPL-3.0-or-later
// How much CPU a process uses while a long operation waits on the event loop.
#include "core/appstate.h"
#include "platform/eventloop.h"
#include "support/processclock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace pellomar;
using pellomar::test::CpuSeconds;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    AppState state(dir.path());

    auto run = [&]() -> QCoro::Task<> {
        co_await state.StartUp();
        const double cpuBefore = CpuSeconds();
        const long long wakeupsBefore = EventPulse::Instance().Wakeups();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < seconds * 1000)
            co_await EventPulse::Instance().Next();
        const double wall = clock.elapsed() / 1000.0;
        const double cpu = CpuSeconds() - cpuBefore;
        std::printf("idle wait: %.1f s wall, %.4f s CPU (%.5f CPU s per wall s), %lld wake-ups\n",
                    wall, cpu, cpu / wall, EventPulse::Instance().Wakeups() - wakeupsBefore);
        QCoreApplication::quit();
    };
    auto task = run();
    return app.exec();
}
