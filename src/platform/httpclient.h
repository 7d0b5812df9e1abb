// SPDX-License-Identifier: GPL-3.0-or-later
// The request object every part of the system fetches through. It keeps the shape the
// callers poll (Open, Send, ReadyState, ResponseBody, abort); completion is also a
// co_await-able point so that a blocking send never blocks the event loop.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <coroutine>
#include <vector>

class QNetworkReply;

namespace pellomar {

class Network;

// An http or https address with a host: the only kind the client asks for.
bool IsWebAddress(const QString& address);

// localhost, or an address of this machine or of a private, link-local or otherwise
// non-global network, written as a number.
bool IsLocalNetwork(const QUrl& url);

// A 2xx status: anything else (0 for a network failure) carries no usable body.
inline bool IsSuccessStatus(int status) {
    return status >= 200 && status < 300;
}

class HttpClient : public QObject {
    Q_OBJECT
  public:
    enum State { Idle = 0, Opened = 1, Sent = 2, Receiving = 3, Complete = 4 };

    explicit HttpClient(Network& network, QObject* parent = nullptr);
    ~HttpClient() override;

    void Open(const QString& method, const QString& address, bool async);
    // Asynchronous: returns at once. Not asynchronous: the caller co_awaits Completion().
    void Send();
    // Sent with the next Send (cleared by Open): a Referer, for instance.
    void SetHeader(const QByteArray& name, const QByteArray& value);
    int ReadyState() const { return m_state; }
    // Sent, but waiting for its turn at the service (see pacer.h): no time runs out for it.
    bool Held() const { return m_ticket != 0; }
    // The Content-Type of the completed response, without parameters, in lower case.
    QByteArray ContentType() const { return m_contentType; }
    QByteArray ResponseBody() const { return m_body; }
    QString responsetext() const;
    // The HTTP status of the completed response; 0 when the request failed on the network
    // (no answer, or a transfer that broke off or could not be decoded: then no body).
    int Status() const { return m_status; }
    QString Address() const { return m_address; }
    void abort();

    struct CompletionAwaiter {
        HttpClient& client;
        bool await_ready() const noexcept { return client.m_state == Complete; }
        void await_suspend(std::coroutine_handle<> h);
        void await_resume() const noexcept {}
    };
    // Resumes once the request is complete (at once if it already is).
    CompletionAwaiter Completion() { return CompletionAwaiter{*this}; }

    // Answers that mean "ask again more slowly" rather than "failed".
    static bool IsSlowDownStatus(int status) {
        return status == 418 || status == 429 || status == 503;
    }

  private:
    void Transfer();
    void FailSoon();
    void Finish(QNetworkReply* reply);
    void Drop();

    Network& m_network;
    QPointer<QNetworkReply> m_reply;
    QString m_method;
    QString m_address;
    int m_state = Idle;
    int m_status = 0;
    quint64 m_generation = 0;
    quint64 m_ticket = 0;
    QList<std::pair<QByteArray, QByteArray>> m_headers;
    QByteArray m_contentType;
    QByteArray m_body;
    std::vector<std::coroutine_handle<>> m_waiters;
};

} // namespace pellomar
