// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/browserenvironment.h"
#include "support/browserserver.h"

#ifdef PELLOMAR_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The tests trust only the authorities they name; an SSL_CERT_FILE from the environment
    // (often the system's own bundle) would make every Network read it.
    qunsetenv("SSL_CERT_FILE");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    pellomar::PrepareBrowserEnvironment();
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    pellomar::test::FixtureServer server;
    if (!server.Listen())
        return 1;
    const pellomar::test::ScopedProxyEnv proxy(server);
    pellomar::test::browserServer = &server;
    return RUN_ALL_TESTS();
}
