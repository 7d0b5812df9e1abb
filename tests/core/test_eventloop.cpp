// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "platform/eventloop.h"
#include "support/processclock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace pellomar;
using pellomar::test::CpuSeconds;

namespace {

void Drive(QCoro::Task<>&& task, int timeoutMs) {
    QEventLoop loop;
    bool done = false;
    task.then([&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    ASSERT_TRUE(done) << "coroutine did not finish in time";
}

} // namespace

TEST(EventLoopYield, YieldOnceLetsPendingEventsRunBeforeGoingOn) {
    std::vector<QString> order;
    auto task = [&]() -> QCoro::Task<> {
        QTimer::singleShot(0, QCoreApplication::instance(), [&] { order.push_back(u"event"_qs); });
        order.push_back(u"before"_qs);
        co_await YieldOnce{};
        order.push_back(u"after"_qs);
    };
    Drive(task(), 2000);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], u"before"_qs);
    EXPECT_EQ(order[1], u"event"_qs);
    EXPECT_EQ(order[2], u"after"_qs);
}

TEST(EventLoopYield, PulseThatCameWhileBusyIsNotSleptThrough) {
    EventPulse::Instance().Fire(); // nobody waits yet
    QElapsedTimer clock;
    clock.start();
    auto task = []() -> QCoro::Task<> { co_await EventPulse::Instance().Next(); };
    Drive(task(), 2000);
    EXPECT_LT(clock.elapsed(), 500);
}

TEST(EventLoopYield, WaitingOnTheTimersSleepsInsteadOfSpinning) {
    QTemporaryDir dir;
    AppState state(dir.path());
    Drive(state.StartUp(), 2000);

    const double cpuBefore = CpuSeconds();
    const long long wakeupsBefore = EventPulse::Instance().Wakeups();
    QElapsedTimer clock;
    clock.start();
    auto wait = [&]() -> QCoro::Task<> {
        while (clock.elapsed() < 1500)
            co_await EventPulse::Instance().Next();
    };
    Drive(wait(), 5000);
    const long long wakeups = EventPulse::Instance().Wakeups() - wakeupsBefore;
    const double cpu = CpuSeconds() - cpuBefore;

    // Timer2 ticks ten times a second and Timer1 once: about 16 wake-ups in 1.5 s.
    EXPECT_GE(wakeups, 8);
    EXPECT_LE(wakeups, 40);
    EXPECT_LT(cpu, 0.3);
}
