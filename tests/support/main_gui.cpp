// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The tests trust only the authorities they name; an SSL_CERT_FILE from the environment
    // (often the system's own bundle) would make every Network read it.
    qunsetenv("SSL_CERT_FILE");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
