// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh browser per test; pages are served through the run's one loopback proxy.
#pragma once

#include "browser/webbrowserview.h"
#include "support/browserserver.h"
#include "support/runtask.h"

#include <QCoro/QCoroSignal>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <memory>

namespace pellomar::test {

class BrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sinceConstruction.start();
        browser = std::make_unique<WebBrowserView>();
        browser->SetSilent(true);
    }

    // Serves html at address and loads it; true when the load completed.
    bool Load(const QString& address, const QByteArray& html,
              const QByteArray& contentType = "text/html; charset=utf-8") {
        browserServer->SetPage(address, html, contentType);
        browser->Navigate(address);
        auto done = qCoro(browser.get(), &BrowserView::documentComplete,
                          std::chrono::milliseconds(WebBrowserView::kLoadTimeoutMs));
        return RunTask(std::move(done), WebBrowserView::kLoadTimeoutMs + 1'000).value_or(false);
    }

    QString Markup() { return RunTask(browser->BodyOuterHtml()); }

    QElapsedTimer sinceConstruction;
    std::unique_ptr<WebBrowserView> browser;
};

} // namespace pellomar::test
