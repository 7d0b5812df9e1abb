// SPDX-License-Identifier: GPL-3.0-or-later
// The one network access manager of the process, set up the way every request needs:
// the proxy from the standard environment, redirects followed, a browser-like agent, and the
// extra certificate authorities named by SSL_CERT_FILE trusted besides the system's.
#pragma once

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QObject>
#include <QSslConfiguration>
#include <optional>

#include "platform/cookiejar.h"
#include "platform/pacer.h"

namespace pellomar {

class Network : public QObject {
    Q_OBJECT
  public:
    static constexpr int kTransferTimeoutMs = 60'000;
    // A transfer that trickles along without ever stalling ends here all the same.
    static constexpr int kWholeTransferMs = 300'000;
    static constexpr qint64 kMaxBodyBytes = 64 * 1024 * 1024;

    explicit Network(QObject* parent = nullptr);

    QNetworkAccessManager& manager() { return m_manager; }
    // Every request waits its turn here (see pacer.h).
    Pacer& pacer() { return m_pacer; }
    QNetworkRequest MakeRequest(const QUrl& url);

    // The time a transfer may stall before it is given up; tests shorten it.
    void SetTransferTimeout(int ms);
    int TransferTimeout() const { return m_transferTimeoutMs; }
    void SetWholeTransferLimit(int ms) { m_wholeTransferMs = ms; }
    int WholeTransferLimit() const { return m_wholeTransferMs; }

    // Proxies every plain-HTTP request through host:port; used by the bundled sample.
    void SetHttpProxy(const QString& host, quint16 port);

    // A login (cookies the user brought) sent with every request it belongs to, beside the
    // cookies the services set during the run. Each change of it is signalled.
    void AddCookies(const QList<QNetworkCookie>& cookies);
    void RemoveCookies(const QList<QNetworkCookie>& cookies);
    void ClearCookies();
    bool HasCookiesFor(const QUrl& url) const;

    // The proxy named by http_proxy / HTTP_PROXY, honouring no_proxy; none when unset.
    static QNetworkProxy ProxyFromEnvironment(const QUrl& target);

  signals:
    // A login was added or removed (not the cookies answers set).
    void loginChanged();

  private:
    // The TLS settings trusting SSL_CERT_FILE's authorities; none when it names none.
    const std::optional<QSslConfiguration>& TlsConfiguration();

    QNetworkAccessManager m_manager;
    Pacer m_pacer;
    int m_transferTimeoutMs = kTransferTimeoutMs;
    int m_wholeTransferMs = kWholeTransferMs;
    // Read once per value of SSL_CERT_FILE, not once per request.
    QByteArray m_certFile;
    std::optional<QSslConfiguration> m_tlsConfiguration;
    CookieJar* m_cookies = nullptr; // owned by the manager
};

} // namespace pellomar
