// SPDX-License-Identifier: GPL-3.0-or-later
// Chromium takes its proxy once, when the first page is created, so one fixture server
// serves every test's pages for the whole run.
#include "browser/browserenvironment.h"
#include "browsertest.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    pellomar::PrepareBrowserEnvironment();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    pellomar::test::FixtureServer server;
    if (!server.Listen())
        return 1;
    const pellomar::test::ScopedProxyEnv proxy(server);
    pellomar::test::BrowserTest::server = &server;
    return RUN_ALL_TESTS();
}
