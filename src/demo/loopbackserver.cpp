// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/loopbackserver.h"
#include "demo/reasonphrase.h"

#include <QHostAddress>
#include <QSslSocket>
#include <deque>

namespace pellomar {

namespace {

// Far above any request a browser or our client sends; a peer past these is misbehaving.
constexpr qsizetype kMaxHeaderBytes = 64 * 1024;
constexpr qsizetype kMaxBodyBytes = 4 * 1024 * 1024;

LoopbackServer::Response PlainResponse(int status, const QByteArray& text) {
    LoopbackServer::Response response;
    response.status = status;
    response.contentType = "text/plain; charset=utf-8";
    response.body = text;
    return response;
}

} // namespace

struct LoopbackServer::Connection {
    enum class SlotState { Waiting, Ready, Stalled, Dropped };
    // One per request, in arrival order: answers leave in that order even when a later
    // request is answered first (pipelining).
    struct Slot {
        quint64 sequence = 0;
        SlotState state = SlotState::Waiting;
        QByteArray bytes;
        bool keepAlive = true;
        bool headOnly = false;
    };

    quint64 id = 0;
    QTcpSocket* socket = nullptr;
    QByteArray buffer;
    std::deque<Slot> answers;
    quint64 nextSequence = 0;
    bool closing = false; // no further request is read
    bool tunnelled = false;
};

LoopbackServer::LoopbackServer(QObject* parent) : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackServer::OnNewConnection);
}

LoopbackServer::~LoopbackServer() {
    for (Connection* connection : std::as_const(m_connections)) {
        connection->socket->disconnect(this);
        connection->socket->abort();
        delete connection->socket;
        delete connection;
    }
    m_connections.clear();
}

bool LoopbackServer::Listen() {
    if (m_server.isListening())
        return true;
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void LoopbackServer::Close() {
    m_server.close();
}

quint16 LoopbackServer::Port() const {
    return m_server.serverPort();
}

QString LoopbackServer::ProxyUrl() const {
    return u"http://127.0.0.1:" + QString::number(Port());
}

void LoopbackServer::SetTlsIdentity(const QSslCertificate& certificate, const QSslKey& key) {
    m_tlsCertificate = certificate;
    m_tlsKey = key;
    m_server.SetTlsCapable(true);
}

QString LoopbackServer::Key(const QString& url) {
    QUrl parsed(url.trimmed(), QUrl::TolerantMode);
    if (parsed.port() == (parsed.scheme() == u"https" ? 443 : 80))
        parsed.setPort(-1);
    if (parsed.path().isEmpty())
        parsed.setPath(QStringLiteral("/"));
    return parsed.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

void LoopbackServer::SetPage(const QString& url, const QByteArray& body,
                             const QByteArray& contentType) {
    Response response;
    response.contentType = contentType;
    response.body = body;
    m_pages.insert(Key(url), response);
}

void LoopbackServer::SetResponse(const QString& url, const Response& response) {
    m_pages.insert(Key(url), response);
}

void LoopbackServer::RemovePage(const QString& url) {
    m_pages.remove(Key(url));
}

bool LoopbackServer::HasPage(const QString& url) const {
    return m_pages.contains(Key(url));
}

std::optional<LoopbackServer::Response> LoopbackServer::Page(const QString& url) const {
    const auto it = m_pages.constFind(Key(url));
    if (it == m_pages.constEnd())
        return std::nullopt;
    return *it;
}

int LoopbackServer::RequestCount(const QString& url) const {
    return m_requestCounts.value(Key(url));
}

void LoopbackServer::ResetCounts() {
    m_requestCounts.clear();
    m_lastRequest.reset();
    m_totalRequests = 0;
    m_connectionCount = 0;
}

LoopbackServer::Reply LoopbackServer::Respond(const Request& request) {
    return TableReply(request);
}

LoopbackServer::Reply LoopbackServer::TableReply(const Request& request) const {
    const auto it = m_pages.constFind(request.url);
    if (it == m_pages.constEnd())
        return Reply::Answer(PlainResponse(404, "Not found: " + request.url.toUtf8() + '\n'));
    return Reply::Answer(*it);
}

quint64 LoopbackServer::NewToken() {
    return ++m_nextToken;
}

void LoopbackServer::AnswerLater(quint64 token, const Response& response) {
    Fill(token, &response);
}

void LoopbackServer::DropLater(quint64 token) {
    Fill(token, nullptr);
}

void LoopbackServer::OnNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto* connection = new Connection;
        connection->id = ++m_nextConnectionId;
        connection->socket = socket;
        m_connections.insert(connection->id, connection);
        ++m_connectionCount;
        const quint64 id = connection->id;
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { OnReadyRead(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { OnDisconnected(id); });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(id);
    }
}

void LoopbackServer::OnDisconnected(quint64 connectionId) {
    Connection* connection = m_connections.take(connectionId);
    if (!connection)
        return;
    connection->socket->disconnect(this);
    connection->socket->deleteLater();
    delete connection;
}

void LoopbackServer::OnReadyRead(quint64 connectionId) {
    Connection* connection = m_connections.value(connectionId);
    if (!connection)
        return;
    connection->buffer += connection->socket->readAll();
    // Each round may answer at once and even close the connection, so look it up again.
    while (true) {
        connection = m_connections.value(connectionId);
        if (!connection || connection->closing)
            return;
        Request request;
        bool keepAlive = true;
        bool headOnly = false;
        const Parse result = ParseOne(*connection, request, keepAlive, headOnly);
        if (result == Parse::Incomplete)
            return;
        if (result == Parse::Tunnel) {
            StartTunnel(*connection);
            return;
        }
        if (result == Parse::Bad) {
            connection->closing = true;
            connection->buffer.clear();
            Connection::Slot slot;
            slot.sequence = connection->nextSequence++;
            slot.state = Connection::SlotState::Ready;
            slot.keepAlive = false;
            slot.bytes = Serialise(PlainResponse(400, "Bad request\n"), false, false);
            connection->answers.push_back(slot);
            Flush(*connection);
            return;
        }
        request.connectionId = connectionId;
        Dispatch(*connection, std::move(request), keepAlive, headOnly);
    }
}

LoopbackServer::Parse LoopbackServer::ParseOne(Connection& connection, Request& request,
                                               bool& keepAlive, bool& headOnly) {
    QByteArray& buffer = connection.buffer;
    // Blank lines between requests are allowed.
    while (buffer.startsWith("\r\n"))
        buffer.remove(0, 2);
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return buffer.size() > kMaxHeaderBytes ? Parse::Bad : Parse::Incomplete;
    if (headerEnd > kMaxHeaderBytes)
        return Parse::Bad;

    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/1."))
        return Parse::Bad;
    request.method = requestLine[0].toUpper();
    const QByteArray target = requestLine[1];
    const bool http10 = requestLine[2] == "HTTP/1.0";

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return Parse::Bad;
        request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    if (request.headers.contains("transfer-encoding"))
        return Parse::Bad; // no client of ours sends chunked bodies
    qsizetype bodyLength = 0;
    if (request.headers.contains("content-length")) {
        bool ok = false;
        bodyLength = request.headers.value("content-length").toLongLong(&ok);
        if (!ok || bodyLength < 0 || bodyLength > kMaxBodyBytes)
            return Parse::Bad;
    }
    const qsizetype total = headerEnd + 4 + bodyLength;
    if (buffer.size() < total)
        return Parse::Incomplete;
    request.body = buffer.mid(headerEnd + 4, bodyLength);
    buffer.remove(0, total);

    if (request.method == "CONNECT") {
        // Only sockets accepted once TLS was on can take a tunnel.
        const bool canTunnel =
            qobject_cast<QSslSocket*>(connection.socket) && !connection.tunnelled;
        return canTunnel ? Parse::Tunnel : Parse::Bad;
    }
    if (target.startsWith('/')) {
        const QByteArray host = request.headers.value("host");
        if (host.isEmpty())
            return Parse::Bad;
        const QByteArray scheme = connection.tunnelled ? "https://" : "http://";
        request.url = Key(QString::fromLatin1(scheme + host + target));
        request.proxied = connection.tunnelled;
    } else if (target.startsWith("http://") || target.startsWith("https://")) {
        request.url = Key(QString::fromLatin1(target));
        request.proxied = true;
    } else {
        return Parse::Bad;
    }
    if (request.url.isEmpty())
        return Parse::Bad;

    QByteArray connectionHeader = request.headers.value("connection").toLower();
    if (connectionHeader.isEmpty())
        connectionHeader = request.headers.value("proxy-connection").toLower();
    keepAlive =
        http10 ? connectionHeader.contains("keep-alive") : !connectionHeader.contains("close");
    headOnly = request.method == "HEAD";
    return Parse::Complete;
}

void LoopbackServer::StartTunnel(Connection& connection) {
    auto* socket = static_cast<QSslSocket*>(connection.socket);
    connection.tunnelled = true;
    connection.buffer.clear(); // a client sends nothing before the proxy's answer
    socket->write("HTTP/1.1 200 Connection established\r\n\r\n");
    socket->setLocalCertificate(m_tlsCertificate);
    socket->setPrivateKey(m_tlsKey);
    socket->startServerEncryption();
}

void LoopbackServer::Dispatch(Connection& connection, Request request, bool keepAlive,
                              bool headOnly) {
    ++m_totalRequests;
    ++m_requestCounts[request.url];
    m_lastRequest = request;
    if (!keepAlive)
        connection.closing = true;

    Connection::Slot slot;
    slot.sequence = connection.nextSequence++;
    slot.keepAlive = keepAlive;
    slot.headOnly = headOnly;
    connection.answers.push_back(slot);
    const quint64 connectionId = connection.id;
    const quint64 sequence = slot.sequence;

    // Respond may run scripted code of a subclass; the connection is looked up afterwards.
    const Reply reply = Respond(request);
    if (reply.kind == Reply::Kind::Later) {
        m_pending.insert(reply.token, PendingSlot{connectionId, sequence});
        return;
    }
    if (reply.kind == Reply::Kind::Stall) {
        if (Connection* c = m_connections.value(connectionId)) {
            for (Connection::Slot& s : c->answers)
                if (s.sequence == sequence)
                    s.state = Connection::SlotState::Stalled;
        }
        return;
    }
    const quint64 token = NewToken();
    m_pending.insert(token, PendingSlot{connectionId, sequence});
    Fill(token, reply.kind == Reply::Kind::Answer ? &reply.response : nullptr);
}

void LoopbackServer::Fill(quint64 token, const Response* response) {
    const PendingSlot pending = m_pending.take(token);
    Connection* connection = m_connections.value(pending.connectionId);
    if (!connection)
        return; // the client went away meanwhile
    for (Connection::Slot& slot : connection->answers) {
        if (slot.sequence != pending.sequence || slot.state != Connection::SlotState::Waiting)
            continue;
        if (response) {
            // A cut transfer ends with the connection, as a server that went away would.
            if (response->cutAfter >= 0 && response->cutAfter < response->body.size())
                slot.keepAlive = false;
            slot.bytes = Serialise(*response, slot.keepAlive, slot.headOnly);
            slot.state = Connection::SlotState::Ready;
        } else {
            slot.state = Connection::SlotState::Dropped;
        }
        break;
    }
    Flush(*connection);
}

void LoopbackServer::Flush(Connection& connection) {
    while (!connection.answers.empty()) {
        Connection::Slot& front = connection.answers.front();
        if (front.state == Connection::SlotState::Waiting ||
            front.state == Connection::SlotState::Stalled)
            return;
        if (front.state == Connection::SlotState::Dropped) {
            connection.closing = true;
            connection.answers.clear();
            connection.socket->disconnectFromHost();
            return;
        }
        connection.socket->write(front.bytes);
        const bool keepAlive = front.keepAlive;
        connection.answers.pop_front();
        if (!keepAlive) {
            connection.closing = true;
            connection.answers.clear();
            connection.socket->disconnectFromHost();
            return;
        }
    }
}

QByteArray LoopbackServer::Serialise(const Response& response, bool keepAlive, bool headOnly) {
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                     ReasonPhrase(response.status) + "\r\n";
    if (!response.contentType.isEmpty())
        out += "Content-Type: " + response.contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    const bool cut = response.cutAfter >= 0 && response.cutAfter < response.body.size();
    out += keepAlive && !cut ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    for (const auto& [name, value] : response.headers)
        out += name + ": " + value + "\r\n";
    out += "\r\n";
    if (!headOnly)
        out += cut ? response.body.left(response.cutAfter) : response.body;
    return out;
}

} // namespace pellomar
