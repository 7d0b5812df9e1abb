// SPDX-License-Identifier: GPL-3.0-or-later
// The loopback server with scripted misbehaviour, for tests and benchmarks: latency,
// stalls, dropped connections, error answers, empty answers, failures that pass.
#pragma once

#include "demo/loopbackserver.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>

namespace pellomar::test {

class FixtureServer : public LoopbackServer {
    Q_OBJECT
  public:
    explicit FixtureServer(QObject* parent = nullptr);

    // Listens, failing the current test when it cannot.
    bool Start();

    // Every answer waits this long (a timer per reply; nothing sleeps).
    void SetLatency(int ms) { m_latencyMs = ms; }

    // A pattern is an address, or a wildcard pattern with "*" (matched against the whole
    // normalised address, e.g. "http://blog.sina.com.cn/s/blog_*").
    void AddDelay(const QString& pattern, int ms);
    void Stall(const QString& pattern);
    void Drop(const QString& pattern);
    void AnswerError(const QString& pattern, int status, const QByteArray& body);
    void AnswerEmpty(const QString& pattern);
    // The stored page, cut after half its body under the full Content-Length.
    void Truncate(const QString& pattern);
    void Redirect(const QString& from, const QString& to, int status = 302);
    // The first `count` requests matching pattern end as `how` (stall, drop, error, empty
    // or truncated); later ones are served normally.
    enum class Fault { Stall, Drop, Error, Empty, Truncate };
    void FailFirst(const QString& pattern, int count, Fault how = Fault::Drop, int status = 500);
    void ClearScript();

    // Replies held back by latency or delays, not yet sent.
    int PendingReplies() const { return m_pendingReplies; }
    // The most replies held back at one time: shows how many requests were in flight.
    int PeakPendingReplies() const { return m_peakPendingReplies; }

  protected:
    Reply Respond(const Request& request) override;

  private:
    enum class Action { Delay, Stall, Drop, Error, Empty, Truncate };
    struct Rule {
        QRegularExpression pattern; // invalid: exact match on key
        QString key;
        Action action = Action::Delay;
        int ms = 0;
        int status = 0;
        QByteArray body;
        int remaining = -1; // -1: for ever
    };

    void AddRule(const QString& pattern, Rule rule);
    static bool Matches(const Rule& rule, const QString& url);

    QList<Rule> m_rules;
    int m_latencyMs = 0;
    int m_pendingReplies = 0;
    int m_peakPendingReplies = 0;
};

// Points http_proxy and https_proxy at a server for the scope (and clears no_proxy), then
// restores the variables as they were.
class ScopedProxyEnv {
  public:
    explicit ScopedProxyEnv(const LoopbackServer& server);
    explicit ScopedProxyEnv(const QString& proxyUrl);
    ~ScopedProxyEnv();
    ScopedProxyEnv(const ScopedProxyEnv&) = delete;
    ScopedProxyEnv& operator=(const ScopedProxyEnv&) = delete;

  private:
    struct Saved {
        const char* name;
        bool set;
        QByteArray value;
    };
    QList<Saved> m_saved;
};

} // namespace pellomar::test
