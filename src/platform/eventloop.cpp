// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/eventloop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

namespace pellomar {

namespace {
void ResumeLater(std::coroutine_handle<> h) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [h] { h.resume(); }, Qt::QueuedConnection);
}
} // namespace

void YieldOnce::await_suspend(std::coroutine_handle<> h) const {
    QTimer::singleShot(0, QCoreApplication::instance(), [h] { h.resume(); });
}

EventPulse& EventPulse::Instance() {
    static EventPulse pulse;
    return pulse;
}

void EventPulse::Fire() {
    if (m_waiters.empty()) {
        m_pending = true;
        return;
    }
    m_pending = false;
    std::vector<std::coroutine_handle<>> waiters;
    waiters.swap(m_waiters);
    for (auto h : waiters) {
        ++m_wakeups;
        ResumeLater(h);
    }
}

bool EventPulse::Awaiter::await_ready() const noexcept {
    return false;
}

void EventPulse::Awaiter::await_suspend(std::coroutine_handle<> h) {
    if (pulse.m_pending) {
        // Something happened while the waiter was busy: still go round the loop once.
        pulse.m_pending = false;
        ++pulse.m_wakeups;
        ResumeLater(h);
        return;
    }
    pulse.m_waiters.push_back(h);
}

} // namespace pellomar
