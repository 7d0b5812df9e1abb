// SPDX-License-Identifier: GPL-3.0-or-later
// Drives a coroutine to its end from a test: runs an event loop until the task finishes,
// failing the test when it takes longer than the time limit.
#pragma once

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>
#include <type_traits>

namespace pellomar::test {

namespace detail {

template <class T> struct RunState {
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> value;
    QEventLoop* loop = nullptr;
};

// Owns its state, so that a task that outlives a timed-out wait writes into memory that
// still exists.
template <class T> QCoro::Task<> Drive(QCoro::Task<T> task, std::shared_ptr<RunState<T>> state) {
    if constexpr (std::is_void_v<T>) {
        co_await std::move(task);
        state->value = true;
    } else {
        state->value = co_await std::move(task);
    }
    if (state->loop)
        state->loop->quit();
}

} // namespace detail

template <class T> T RunTask(QCoro::Task<T> task, int timeoutMs = 10'000) {
    auto state = std::make_shared<detail::RunState<T>>();
    // The driver runs eagerly; dropping its handle leaves it to finish by itself.
    detail::Drive(std::move(task), state);
    if (!state->value) {
        QEventLoop loop;
        state->loop = &loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
        state->loop = nullptr;
    }
    if (!state->value) {
        ADD_FAILURE() << "the task did not finish within " << timeoutMs << " ms";
        if constexpr (std::is_void_v<T>)
            return;
        else
            return T{};
    }
    if constexpr (!std::is_void_v<T>)
        return std::move(*state->value);
}

} // namespace pellomar::test
