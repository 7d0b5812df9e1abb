// SPDX-License-Identifier: GPL-3.0-or-later
// What Chromium, inside QtWebEngine, needs to be told before it starts. It reads its
// switches once per process, when the first page is created, and keeps them.
#pragma once

#include <QByteArrayList>

namespace pellomar {

// Call before the first page is made, best before the QGuiApplication or QApplication is
// constructed, which then shares the OpenGL contexts as QtWebEngine requires. Keeps
// Chromium from background connections and from slowing down the timers of pages nobody
// looks at (ours are never shown); turns its sandbox off when running as root, where
// Chromium refuses to start with it; and keeps its log lines out of the output unless
// PELLOMAR_BROWSER_LOG is set.
void PrepareBrowserEnvironment();

// The switches that send Chromium through the proxy the engine uses: http_proxy and
// https_proxy, with no_proxy as the bypass list. Empty when no proxy is set.
QByteArrayList ChromiumProxyFlags();

// Adds switches to QTWEBENGINE_CHROMIUM_FLAGS, after any the user gave.
void AppendChromiumFlags(const QByteArrayList& flags);

// Call before making a profile: the first call gives Chromium the proxy of the moment.
void UseEnvironmentProxy();

} // namespace pellomar
