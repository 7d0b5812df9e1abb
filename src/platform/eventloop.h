// SPDX-License-Identifier: GPL-3.0-or-later
// Yielding to the event loop from the long operations, which are coroutines.
//
// co_await YieldOnce()          lets every pending event run once, then goes on.
// co_await EventPulse::Next()   sleeps until something the waits care about happened
//                               (a reply completed, a timer ticked, a page loaded).
// A coroutine is always resumed from the event loop, never from inside the handler
// that woke it, so a tick runs to its end before the waiting code goes on.
#pragma once

#include <coroutine>
#include <vector>

namespace pellomar {

struct YieldOnce {
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h) const;
    void await_resume() const noexcept {}
};

class EventPulse {
  public:
    static EventPulse& Instance();

    // Something happened: wake the sleepers. A pulse with nobody waiting is kept, so a
    // waiter that was busy when it came does not sleep through it.
    void Fire();

    struct Awaiter {
        EventPulse& pulse;
        bool await_ready() const noexcept;
        void await_suspend(std::coroutine_handle<> h);
        void await_resume() const noexcept {}
    };
    Awaiter Next() { return Awaiter{*this}; }

    // Counts how often a sleeper was woken: lets tests prove that waits sleep.
    long long Wakeups() const { return m_wakeups; }

  private:
    EventPulse() = default;
    bool m_pending = false;
    long long m_wakeups = 0;
    std::vector<std::coroutine_handle<>> m_waiters;
};

} // namespace pellomar
