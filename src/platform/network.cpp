// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/network.h"

#include <QFile>
#include <QNetworkProxyFactory>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QUrl>

namespace pellomar {

namespace {

constexpr char kUserAgent[] = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 "
                              "(KHTML, like Gecko) Chrome/120.0 Safari/537.36";

bool HostIsExcluded(const QString& host, const QString& noProxy) {
    const QStringList entries = noProxy.split(u',', Qt::SkipEmptyParts);
    for (QString entry : entries) {
        entry = entry.trimmed().toLower();
        if (entry.isEmpty())
            continue;
        if (entry == u"*")
            return true;
        if (entry.startsWith(u'.'))
            entry.remove(0, 1);
        const QString h = host.toLower();
        if (h == entry || h.endsWith(u'.' + entry))
            return true;
    }
    return false;
}

// Qt only reads the proxy environment when the system configuration is switched on,
// and then through whatever backend the build chose; reading it here keeps it exact.
class EnvironmentProxyFactory : public QNetworkProxyFactory {
  public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        return {Network::ProxyFromEnvironment(query.url())};
    }
};

class FixedProxyFactory : public QNetworkProxyFactory {
  public:
    FixedProxyFactory(QString host, quint16 port) : m_host(std::move(host)), m_port(port) {}
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        if (query.url().scheme() == u"http")
            return {QNetworkProxy(QNetworkProxy::HttpProxy, m_host, m_port)};
        return {QNetworkProxy::NoProxy};
    }

  private:
    QString m_host;
    quint16 m_port;
};

} // namespace

Network::Network(QObject* parent) : QObject(parent) {
    m_manager.setProxyFactory(new EnvironmentProxyFactory);
    m_manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_manager.setTransferTimeout(kTransferTimeoutMs);
    m_cookies = new CookieJar;
    m_manager.setCookieJar(m_cookies);
}

QNetworkRequest Network::MakeRequest(const QUrl& url) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(kUserAgent));
    request.setTransferTimeout(m_transferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    if (const auto& tls = TlsConfiguration())
        request.setSslConfiguration(*tls);
    return request;
}

const std::optional<QSslConfiguration>& Network::TlsConfiguration() {
    const QByteArray certFile = qgetenv("SSL_CERT_FILE");
    if (certFile == m_certFile)
        return m_tlsConfiguration;
    m_certFile = certFile;
    m_tlsConfiguration.reset();
    // Qt keeps the TLS settings of a host's first request for as long as it caches the
    // host's connections, so the old authorities would otherwise stay in force.
    m_manager.clearConnectionCache();
    QFile file(QString::fromLocal8Bit(certFile));
    if (certFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return m_tlsConfiguration;
    const QList<QSslCertificate> extra = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    if (extra.isEmpty())
        return m_tlsConfiguration;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    QList<QSslCertificate> authorities = tls.caCertificates();
    // An empty list means Qt finds the system's on demand, which setting a list turns off.
    if (authorities.isEmpty())
        authorities = QSslConfiguration::systemCaCertificates();
    tls.setCaCertificates(authorities + extra);
    m_tlsConfiguration = tls;
    return m_tlsConfiguration;
}

void Network::SetTransferTimeout(int ms) {
    m_transferTimeoutMs = ms;
    m_manager.setTransferTimeout(ms);
}

void Network::SetHttpProxy(const QString& host, quint16 port) {
    m_manager.setProxyFactory(new FixedProxyFactory(host, port));
}

void Network::AddCookies(const QList<QNetworkCookie>& cookies) {
    m_cookies->Add(cookies);
    emit loginChanged();
}

void Network::RemoveCookies(const QList<QNetworkCookie>& cookies) {
    m_cookies->Remove(cookies);
    emit loginChanged();
}

void Network::ClearCookies() {
    m_cookies->Clear();
    emit loginChanged();
}

bool Network::HasCookiesFor(const QUrl& url) const {
    return !m_cookies->cookiesForUrl(url).isEmpty();
}

QNetworkProxy Network::ProxyFromEnvironment(const QUrl& target) {
    const bool https = target.scheme() == u"https";
    QByteArray value = qgetenv(https ? "https_proxy" : "http_proxy");
    if (value.isEmpty())
        value = qgetenv(https ? "HTTPS_PROXY" : "HTTP_PROXY");
    if (value.isEmpty())
        return QNetworkProxy(QNetworkProxy::NoProxy);
    QByteArray noProxy = qgetenv("no_proxy");
    if (noProxy.isEmpty())
        noProxy = qgetenv("NO_PROXY");
    if (HostIsExcluded(target.host(), QString::fromLocal8Bit(noProxy)))
        return QNetworkProxy(QNetworkProxy::NoProxy);

    QString text = QString::fromLocal8Bit(value).trimmed();
    if (!text.contains(u"://"))
        text.prepend(u"http://");
    const QUrl proxyUrl(text);
    if (!proxyUrl.isValid() || proxyUrl.host().isEmpty())
        return QNetworkProxy(QNetworkProxy::NoProxy);
    QNetworkProxy proxy(QNetworkProxy::HttpProxy, proxyUrl.host(),
                        static_cast<quint16>(proxyUrl.port(80)));
    if (!proxyUrl.userName().isEmpty()) {
        proxy.setUser(proxyUrl.userName());
        proxy.setPassword(proxyUrl.password());
    }
    return proxy;
}

} // namespace pellomar
