// SPDX-License-Identifier: GPL-3.0-or-later
// The browser on QtWebEngine: one page with no view, in an off-the-record profile of its
// own. Call PrepareBrowserEnvironment before the application object is constructed.
#pragma once

#include "platform/browserview.h"

#include <QTimer>
#include <QVariant>
#include <memory>

class QWebEngineLoadingInfo;
class QWebEngineProfile;

namespace pellomar {

class SilentPage;

class WebBrowserView : public BrowserView {
    Q_OBJECT
  public:
    // A load that has not ended by then is stopped; documentComplete reports it failed.
    // Longer than the readers' wait for a list (30 s): a list that shows is read while the
    // page's slow pictures and scripts still load.
    static constexpr int kLoadTimeoutMs = 45'000;
    // A question to the page that has no answer by then (the page's own script never
    // ends, or its process died) is given up.
    static constexpr int kScriptTimeoutMs = 10'000;

    // The first browser of the process starts Chromium, which then keeps the proxy that
    // http_proxy and no_proxy name at this moment.
    explicit WebBrowserView(QObject* parent = nullptr);
    ~WebBrowserView() override;

    void SetSilent(bool on) override;
    void Navigate(const QString& address) override;
    bool Busy() const override { return m_busy; }
    bool NoAnswer() const override { return m_noAnswer; }
    void LeaveDocument() override { m_leftDocument = m_lastDocument; }
    QCoro::Task<QString> BodyOuterHtml() override;
    QCoro::Task<QList<BrowserElement>> Elements(QString tagName) override;
    QCoro::Task<bool> Click(BrowserElement element) override;

    // Tests shorten them.
    void SetTimeLimits(int loadMs, int scriptMs);

  private:
    // Runs one of our scripts, a function, with arguments; an invalid result when the
    // page gave no answer within the script time limit.
    QCoro::Task<QVariant> Call(QString script, QVariantList arguments);
    void OnLoadStarted();
    void OnLoadFinished(bool ok);
    void OnLoadLimit();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);

    // The profile must outlive its page, so it is declared first.
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<SilentPage> m_page;
    QTimer m_loadLimit;
    int m_scriptTimeoutMs = kScriptTimeoutMs;
    bool m_busy = false;
    bool m_noAnswer = false;
    // Each document names itself when first read; the one left keeps reading empty.
    QString m_lastDocument;
    QString m_leftDocument;
};

} // namespace pellomar
