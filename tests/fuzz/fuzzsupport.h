// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: one application object per process, the input as bytes and
// as parts, and driving a coroutine to its end.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QList>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <qcoro/qcorotask.h>

namespace pellomar::fuzz {

// Timers and the network manager want an application object; one lives for the process.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input cut at NUL bytes into exactly `count` parts (missing ones empty, the last
// keeping the rest), so that one input can give a text and its markers.
inline QList<QByteArray> Parts(const QByteArray& input, int count) {
    QList<QByteArray> parts;
    qsizetype from = 0;
    for (int i = 0; i < count - 1; ++i) {
        const qsizetype at = input.indexOf('\0', from);
        if (at < 0) {
            parts.append(input.mid(from));
            from = input.size();
        } else {
            parts.append(input.mid(from, at - from));
            from = at + 1;
        }
    }
    parts.append(input.mid(from));
    return parts;
}

// A finding for libFuzzer: the process stops with a report and the input is kept.
inline void Check(bool holds) {
    if (!holds)
        __builtin_trap();
}

namespace detail {
template <class T>
QCoro::Task<> Drive(QCoro::Task<T> task, std::shared_ptr<bool> done, QEventLoop* loop) {
    co_await std::move(task);
    *done = true;
    loop->quit();
}
} // namespace detail

// Runs an event loop until the task ends. The task never waits for the network here, so
// one that does not end is a hang, which libFuzzer's -timeout reports.
template <class T> void RunToEnd(QCoro::Task<T> task) {
    auto done = std::make_shared<bool>(false);
    QEventLoop loop;
    detail::Drive(std::move(task), done, &loop);
    if (!*done)
        loop.exec();
}

} // namespace pellomar::fuzz
