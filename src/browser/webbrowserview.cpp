// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/webbrowserview.h"

#include "browser/browserenvironment.h"
#include "platform/network.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkProxy>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <coroutine>

namespace pellomar {

// Without a view nothing would be shown anyway; silent mode makes sure of it and also
// keeps the pages' console messages out of the program's output.
class SilentPage : public QWebEnginePage {
  public:
    using QWebEnginePage::QWebEnginePage;
    bool silent = false;

  protected:
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override {
        if (silent)
            return {};
        return QWebEnginePage::chooseFiles(mode, oldFiles, acceptedMimeTypes);
    }

    void javaScriptAlert(const QUrl& origin, const QString& message) override {
        if (!silent)
            QWebEnginePage::javaScriptAlert(origin, message);
    }

    bool javaScriptConfirm(const QUrl& origin, const QString& message) override {
        return !silent && QWebEnginePage::javaScriptConfirm(origin, message);
    }

    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                          QString* result) override {
        return !silent && QWebEnginePage::javaScriptPrompt(origin, message, defaultValue, result);
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override {
        if (!silent)
            QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }
};

namespace {

QString Script(const QString& name) {
    QFile file(u":/browser/" + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The page's answer to one script, or an invalid value at the time limit, whichever
// comes first. The waiting coroutine is resumed from the event loop, and only while
// the browser that asked still exists.
class ScriptAnswer {
  public:
    ScriptAnswer(QWebEnginePage* page, QObject* owner, QString script, int timeoutMs)
        : m_page(page), m_owner(owner), m_script(std::move(script)), m_timeoutMs(timeoutMs) {}

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> handle) {
        auto finish = [state = m_state, handle,
                       owner = QPointer<QObject>(m_owner)](const QVariant& value) {
            if (state->done)
                return;
            state->done = true;
            state->value = value;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [handle, owner] {
                    if (owner)
                        handle.resume();
                },
                Qt::QueuedConnection);
        };
        // A world of our own: the page's scripts cannot see or disturb ours.
        m_page->runJavaScript(m_script, QWebEngineScript::ApplicationWorld, finish);
        QTimer::singleShot(m_timeoutMs, m_owner, [finish] { finish(QVariant()); });
    }

    QVariant await_resume() const { return m_state->value; }

  private:
    struct State {
        bool done = false;
        QVariant value;
    };
    QWebEnginePage* m_page;
    QObject* m_owner;
    QString m_script;
    int m_timeoutMs;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace

WebBrowserView::WebBrowserView(QObject* parent) : BrowserView(parent) {
    UseEnvironmentProxy();

    // A profile without a storage name is off the record: nothing is kept on disk.
    m_profile = std::make_unique<QWebEngineProfile>();
    connect(m_profile.get(), &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadRequest* download) { download->cancel(); });

    m_page = std::make_unique<SilentPage>(m_profile.get());
    QWebEngineSettings* settings = m_page->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // A failed load leaves an empty body rather than Chromium's error text.
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);

    connect(m_page.get(), &QWebEnginePage::loadStarted, this, &WebBrowserView::OnLoadStarted);
    connect(m_page.get(), &QWebEnginePage::loadFinished, this, &WebBrowserView::OnLoadFinished);
    connect(m_page.get(), &QWebEnginePage::loadingChanged, this, &WebBrowserView::OnLoadingChanged);
    // Nobody could be asked for a password.
    connect(m_page.get(), &QWebEnginePage::authenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator) { *authenticator = QAuthenticator(); });
    connect(m_page.get(), &QWebEnginePage::proxyAuthenticationRequired, this,
            [](const QUrl& url, QAuthenticator* authenticator, const QString&) {
                const QNetworkProxy proxy = Network::ProxyFromEnvironment(url);
                if (proxy.user().isEmpty()) {
                    *authenticator = QAuthenticator();
                    return;
                }
                authenticator->setUser(proxy.user());
                authenticator->setPassword(proxy.password());
            });
    connect(m_page.get(), &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, QWebEnginePage::Feature feature) {
                m_page->setFeaturePermission(origin, feature,
                                             QWebEnginePage::PermissionDeniedByUser);
            });

    m_loadLimit.setSingleShot(true);
    m_loadLimit.setInterval(kLoadTimeoutMs);
    connect(&m_loadLimit, &QTimer::timeout, this, &WebBrowserView::OnLoadLimit);
}

WebBrowserView::~WebBrowserView() = default;

void WebBrowserView::SetSilent(bool on) {
    m_page->silent = on;
}

void WebBrowserView::Navigate(const QString& address) {
    LeaveDocument();
    m_noAnswer = false;
    m_busy = true;
    m_loadLimit.start();
    m_page->load(QUrl(address));
}

QCoro::Task<QString> WebBrowserView::BodyOuterHtml() {
    // Our world's globals live as long as the document: a new document has no name yet.
    const QString named = u"function () { if (!window.pellomarDocument) "
                          u"window.pellomarDocument = String(Math.random()); return "
                          u"[window.pellomarDocument, (" +
                          Script(QStringLiteral("bodymarkup.js")) + u")()]; }";
    const QVariantList answer = (co_await Call(named, QVariantList())).toList();
    if (answer.size() != 2)
        co_return QString();
    const QString document = answer[0].toString();
    if (!m_leftDocument.isEmpty() && document == m_leftDocument)
        co_return QString();
    m_leftDocument.clear();
    m_lastDocument = document;
    co_return answer[1].toString();
}

QCoro::Task<QList<BrowserElement>> WebBrowserView::Elements(QString tagName) {
    // GCC 12 miscompiles braced lists inside coroutines, hence the plain statements.
    QVariantList arguments;
    arguments << tagName.toUpper();
    const QVariant rows = co_await Call(Script(QStringLiteral("elements.js")), arguments);
    QList<BrowserElement> elements;
    for (const QVariant& row : rows.toList()) {
        const QVariantList cells = row.toList();
        if (cells.size() != 5)
            continue;
        BrowserElement element;
        element.index = cells[0].toInt();
        element.tagName = cells[1].toString();
        element.className = cells[2].toString();
        element.onclick = cells[3].toString();
        element.innerText = cells[4].toString();
        elements.append(element);
    }
    co_return elements;
}

QCoro::Task<bool> WebBrowserView::Click(BrowserElement element) {
    QVariantList arguments;
    arguments << element.index << element.tagName;
    const QVariant clicked = co_await Call(Script(QStringLiteral("click.js")), arguments);
    co_return clicked.toBool();
}

void WebBrowserView::SetTimeLimits(int loadMs, int scriptMs) {
    m_loadLimit.setInterval(loadMs);
    m_scriptTimeoutMs = scriptMs;
}

QCoro::Task<QVariant> WebBrowserView::Call(QString script, QVariantList arguments) {
    const QByteArray json =
        QJsonDocument(QJsonArray::fromVariantList(arguments)).toJson(QJsonDocument::Compact);
    co_return co_await ScriptAnswer(
        m_page.get(), this, u'(' + script + u").apply(null, " + QString::fromUtf8(json) + u')',
        m_scriptTimeoutMs);
}

void WebBrowserView::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        m_noAnswer = false;
    // Chromium's "empty response" (-324) is a connection closed before any answer.
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
        m_noAnswer = info.errorDomain() == QWebEngineLoadingInfo::ConnectionErrorDomain ||
                     info.errorDomain() == QWebEngineLoadingInfo::DnsErrorDomain ||
                     info.errorCode() == -324;
}

void WebBrowserView::OnLoadStarted() {
    m_busy = true;
    if (!m_loadLimit.isActive())
        m_loadLimit.start();
}

void WebBrowserView::OnLoadFinished(bool ok) {
    // A load already reported at its limit may still end later; that is not news.
    if (!m_busy)
        return;
    m_loadLimit.stop();
    m_busy = false;
    emit documentComplete(ok);
}

void WebBrowserView::OnLoadLimit() {
    m_page->triggerAction(QWebEnginePage::Stop);
    // A page whose script never returns ignores the stop, so the end is not waited for.
    if (m_busy) {
        m_busy = false;
        emit documentComplete(false);
    }
}

} // namespace pellomar
