// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/httpclient.h"

#include "platform/eventloop.h"
#include "platform/network.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QMetaObject>
#include <QNetworkReply>
#include <QSet>
#include <QTimer>

namespace pellomar {

bool IsWebAddress(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

bool IsLocalNetwork(const QUrl& url) {
    const QString host = url.host().toLower();
    if (host == u"localhost" || host.endsWith(u".localhost"))
        return true;
    QHostAddress address(host);
    if (address.isNull())
        return false;
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        address = QHostAddress(v4);
    // Qt counts the private IPv4 ranges as global.
    static const QList<std::pair<QHostAddress, int>> privateRanges = {
        QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
        QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16")),
        QHostAddress::parseSubnet(QStringLiteral("100.64.0.0/10")),
        QHostAddress::parseSubnet(QStringLiteral("169.254.0.0/16")),
        QHostAddress::parseSubnet(QStringLiteral("0.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("fc00::/7")),
    };
    for (const auto& range : privateRanges)
        if (address.isInSubnet(range))
            return true;
    return !address.isGlobal() || address.isLoopback() || address.isLinkLocal();
}

HttpClient::HttpClient(Network& network, QObject* parent) : QObject(parent), m_network(network) {}

HttpClient::~HttpClient() {
    m_waiters.clear();
    Drop();
}

// Send never blocks, so the asynchronous flag only tells how the caller waits.
void HttpClient::Open(const QString& method, const QString& address, bool /*async*/) {
    Drop();
    m_method = method.toUpper();
    m_address = address;
    m_headers.clear();
    m_contentType.clear();
    m_body.clear();
    m_status = 0;
    m_state = Opened;
}

void HttpClient::SetHeader(const QByteArray& name, const QByteArray& value) {
    m_headers.append({name, value});
}

// Completes from the event loop with no answer, like a request that failed on the network.
void HttpClient::FailSoon() {
    m_state = Sent;
    m_status = 0;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == m_generation && m_state == Sent)
                Finish(nullptr);
        },
        Qt::QueuedConnection);
}

void HttpClient::Send() {
    if (m_state != Opened)
        return;
    const QUrl url(m_address, QUrl::TolerantMode);
    // Nothing to ask, or nothing to ask of the web (file:, data:, ...), or a service that
    // kept us waiting too long this run.
    if (!IsWebAddress(m_address) || m_network.pacer().GivenUp(url)) {
        FailSoon();
        return;
    }
    m_state = Sent;
    const quint64 generation = m_generation;
    m_ticket = m_network.pacer().Admit(url, [this, generation] {
        if (generation != m_generation)
            return;
        m_ticket = 0;
        Transfer();
    });
}

void HttpClient::Transfer() {
    const QUrl url(m_address, QUrl::TolerantMode);
    if (m_network.pacer().GivenUp(url)) {
        FailSoon();
        return;
    }
    QNetworkRequest request = m_network.MakeRequest(url);
    for (const auto& [name, value] : std::as_const(m_headers))
        request.setRawHeader(name, value);
    // The update check posts nothing; naming the type keeps Qt from warning about it.
    if (m_method == u"POST")
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = m_method == u"POST" ? m_network.manager().post(request, QByteArray())
                                               : m_network.manager().get(request);
    m_reply = reply;
    // Parented to the reply: it goes when the reply does.
    QTimer::singleShot(m_network.WholeTransferLimit(), reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply != m_reply)
            return;
        m_state = Receiving;
        if (reply->bytesAvailable() + m_body.size() > Network::kMaxBodyBytes) {
            // Far larger than any page or picture: give up rather than fill memory.
            m_body.clear();
            reply->abort();
            return;
        }
        m_body += reply->readAll();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == m_reply)
            Finish(reply);
        reply->deleteLater();
    });
}

namespace {

// An error status (4xx, 5xx) comes with a whole answer; every other error means the
// transfer itself broke: no connection, a time-out, a reset, a body that would not decode
// (which Qt reports as a content error under status 200).
bool TransferBroke(QNetworkReply::NetworkError error, int status) {
    const int code = int(error);
    const bool statusError = (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
    return error != QNetworkReply::NoError && !(statusError && status >= 400);
}

// A body shorter than the length the server announced was cut on the way. Qt undoes a
// content encoding itself, so the announced length then counts other bytes.
bool CutShort(const QNetworkReply& reply, qsizetype received) {
    if (!reply.rawHeader("Content-Encoding").isEmpty())
        return false;
    bool known = false;
    const qlonglong announced = reply.rawHeader("Content-Length").trimmed().toLongLong(&known);
    return known && received < announced;
}

// Two different lengths for one body (Qt joins repeated headers with commas): the framing
// vouches for none of the bytes, as HTTP/1.1 says.
bool ConflictingLengths(const QNetworkReply& reply) {
    QSet<QByteArray> lengths;
    for (const QByteArray& value : reply.rawHeader("Content-Length").split(','))
        lengths.insert(value.trimmed());
    return lengths.size() > 1;
}

} // namespace

void HttpClient::Finish(QNetworkReply* reply) {
    if (reply) {
        m_status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QUrl url(m_address, QUrl::TolerantMode);
        if (IsSlowDownStatus(m_status)) {
            // Not a failure: the service wants us slower. Asked again once it lets us,
            // unless it kept us waiting too long.
            m_reply = nullptr;
            m_body.clear();
            m_network.pacer().SlowDown(url);
            m_state = Opened;
            Send();
            return;
        }
        m_contentType = reply->header(QNetworkRequest::ContentTypeHeader)
                            .toByteArray()
                            .split(';')
                            .value(0)
                            .trimmed()
                            .toLower();
        if (reply->isOpen())
            m_body += reply->readAll();
        if (TransferBroke(reply->error(), m_status) || CutShort(*reply, m_body.size()) ||
            ConflictingLengths(*reply)) {
            // Half a page or picture is no data: the request failed on the network.
            m_body.clear();
            m_status = 0;
        }
        m_reply = nullptr;
    }
    m_state = Complete;
    std::vector<std::coroutine_handle<>> waiters;
    waiters.swap(m_waiters);
    for (auto h : waiters)
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [h] { h.resume(); }, Qt::QueuedConnection);
    EventPulse::Instance().Fire();
}

QString HttpClient::responsetext() const {
    return QString::fromUtf8(m_body);
}

void HttpClient::abort() {
    Drop();
    m_body.clear();
    m_status = 0;
    m_state = Idle;
}

void HttpClient::Drop() {
    ++m_generation;
    if (m_ticket != 0)
        m_network.pacer().Cancel(m_ticket);
    m_ticket = 0;
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    // A waiter of a dropped request is woken so that it cannot sleep for ever.
    std::vector<std::coroutine_handle<>> waiters;
    waiters.swap(m_waiters);
    for (auto h : waiters)
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [h] { h.resume(); }, Qt::QueuedConnection);
}

void HttpClient::CompletionAwaiter::await_suspend(std::coroutine_handle<> h) {
    client.m_waiters.push_back(h);
}

} // namespace pellomar
