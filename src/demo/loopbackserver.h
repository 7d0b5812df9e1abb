// SPDX-License-Identifier: GPL-3.0-or-later
// A small HTTP/1.1 server on 127.0.0.1 that the process reaches as its HTTP proxy: it
// answers requests for any host from a table of canned pages. The bundled demo serves its
// sample blog through it, and the tests serve their fixture blogs. Given a TLS identity it
// also opens CONNECT tunnels and serves https from the same table. Everything runs on the
// event loop of the calling thread.
#pragma once

#include "demo/loopbacklistener.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QUrl>
#include <optional>
#include <utility>

class QTcpSocket;

namespace pellomar {

class LoopbackServer : public QObject {
    Q_OBJECT
  public:
    struct Response {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        // Extra header lines, e.g. {"Location", "http://..."} for a redirect.
        QList<std::pair<QByteArray, QByteArray>> headers;
        // When 0 or more: only this many body bytes are sent under the full Content-Length,
        // then the connection closes (a transfer cut short).
        qsizetype cutAfter = -1;
    };

    struct Request {
        QByteArray method;
        // The full address asked for, "http://host/path?query", normalised (see Key);
        // "https://..." for a request inside a CONNECT tunnel.
        QString url;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
        quint64 connectionId = 0; // tells requests on one kept-alive connection together
        bool proxied = false;     // asked in absolute form or tunnelled, as through a proxy
    };

    // What Respond decides for one request.
    struct Reply {
        enum class Kind {
            Answer, // send the response now
            Later,  // the subclass answers through AnswerLater(token, ...) or drops it
            Stall,  // never answer; the connection stays open until the client gives up
            Drop,   // close the connection without an answer
        };
        Kind kind = Kind::Answer;
        Response response;
        quint64 token = 0; // set by Respond for Later

        static Reply Answer(Response r) { return Reply{Kind::Answer, std::move(r), 0}; }
        static Reply Stall() { return Reply{Kind::Stall, {}, 0}; }
        static Reply Drop() { return Reply{Kind::Drop, {}, 0}; }
    };

    explicit LoopbackServer(QObject* parent = nullptr);
    ~LoopbackServer() override;

    // Listens on 127.0.0.1 with a port the system picks.
    bool Listen();
    // Stops accepting connections; those already open are served to their end.
    void Close();
    quint16 Port() const;
    // "http://127.0.0.1:PORT", the value for http_proxy (and https_proxy).
    QString ProxyUrl() const;
    // Accepts CONNECT from now on: the tunnel is served over TLS as this certificate's
    // hosts. Without an identity CONNECT is refused.
    void SetTlsIdentity(const QSslCertificate& certificate, const QSslKey& key);

    void SetPage(const QString& url, const QByteArray& body,
                 const QByteArray& contentType = "text/html; charset=utf-8");
    void SetResponse(const QString& url, const Response& response);
    void RemovePage(const QString& url);
    bool HasPage(const QString& url) const;
    // The stored response for url, if any.
    std::optional<Response> Page(const QString& url) const;

    // Requests received so far for url (whatever the answer), and for all addresses.
    int RequestCount(const QString& url) const;
    int TotalRequests() const { return m_totalRequests; }
    // Connections accepted so far: shows whether clients keep connections alive.
    int ConnectionCount() const { return m_connectionCount; }
    void ResetCounts();
    // The most recent request received, if any.
    std::optional<Request> LastRequest() const { return m_lastRequest; }

    // The routing key of an address: lets "http://Host/a b" and "http://host/a%20b" meet.
    static QString Key(const QString& url);

  protected:
    // Decides the answer to one request; the table lookup by default.
    virtual Reply Respond(const Request& request);
    // The table answer: the stored page, or 404 with a short body.
    Reply TableReply(const Request& request) const;

    // For Reply::Kind::Later: a fresh token, then an answer or a drop when it is due.
    // Answer from the event loop (a timer), not from inside Respond. Tokens whose
    // connection has gone meanwhile are ignored.
    quint64 NewToken();
    void AnswerLater(quint64 token, const Response& response);
    void DropLater(quint64 token);

  private:
    struct Connection;
    struct PendingSlot {
        quint64 connectionId = 0;
        quint64 sequence = 0;
    };

    enum class Parse { Incomplete, Complete, Bad, Tunnel };

    void OnNewConnection();
    void OnReadyRead(quint64 connectionId);
    void OnDisconnected(quint64 connectionId);
    Parse ParseOne(Connection& connection, Request& request, bool& keepAlive, bool& headOnly);
    void StartTunnel(Connection& connection);
    void Dispatch(Connection& connection, Request request, bool keepAlive, bool headOnly);
    void Fill(quint64 token, const Response* response);
    void Flush(Connection& connection);
    static QByteArray Serialise(const Response& response, bool keepAlive, bool headOnly);

    LoopbackListener m_server;
    QSslCertificate m_tlsCertificate;
    QSslKey m_tlsKey;
    QHash<QString, Response> m_pages;
    QHash<QString, int> m_requestCounts;
    QHash<quint64, Connection*> m_connections;
    QHash<quint64, PendingSlot> m_pending; // by token
    std::optional<Request> m_lastRequest;
    int m_totalRequests = 0;
    int m_connectionCount = 0;
    quint64 m_nextConnectionId = 0;
    quint64 m_nextToken = 0;
};

} // namespace pellomar
