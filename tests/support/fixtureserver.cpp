// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fixtureserver.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace pellomar::test {

FixtureServer::FixtureServer(QObject* parent) : LoopbackServer(parent) {}

bool FixtureServer::Start() {
    const bool listening = Listen();
    EXPECT_TRUE(listening) << "the fixture server cannot listen on 127.0.0.1";
    return listening;
}

void FixtureServer::AddRule(const QString& pattern, Rule rule) {
    if (pattern.contains(u'*')) {
        // "*" matches any run of characters, slashes included.
        QString expression = QRegularExpression::escape(pattern);
        expression.replace(QStringLiteral("\\*"), QStringLiteral(".*"));
        rule.pattern = QRegularExpression(QRegularExpression::anchoredPattern(expression));
    } else {
        rule.key = Key(pattern);
    }
    m_rules.append(std::move(rule));
}

bool FixtureServer::Matches(const Rule& rule, const QString& url) {
    if (rule.pattern.pattern().isEmpty())
        return rule.key == url;
    return rule.pattern.match(url).hasMatch();
}

void FixtureServer::AddDelay(const QString& pattern, int ms) {
    AddRule(pattern, Rule{{}, {}, Action::Delay, ms, 0, {}, -1});
}

void FixtureServer::Stall(const QString& pattern) {
    AddRule(pattern, Rule{{}, {}, Action::Stall, 0, 0, {}, -1});
}

void FixtureServer::Drop(const QString& pattern) {
    AddRule(pattern, Rule{{}, {}, Action::Drop, 0, 0, {}, -1});
}

void FixtureServer::AnswerError(const QString& pattern, int status, const QByteArray& body) {
    AddRule(pattern, Rule{{}, {}, Action::Error, 0, status, body, -1});
}

void FixtureServer::AnswerEmpty(const QString& pattern) {
    AddRule(pattern, Rule{{}, {}, Action::Empty, 0, 0, {}, -1});
}

void FixtureServer::Truncate(const QString& pattern) {
    AddRule(pattern, Rule{{}, {}, Action::Truncate, 0, 0, {}, -1});
}

void FixtureServer::Redirect(const QString& from, const QString& to, int status) {
    Response response;
    response.status = status;
    response.contentType = "text/html";
    response.body = "<a href=\"" + to.toUtf8() + "\">moved</a>";
    response.headers.append({"Location", to.toUtf8()});
    SetResponse(from, response);
}

void FixtureServer::FailFirst(const QString& pattern, int count, Fault how, int status) {
    Rule rule;
    rule.remaining = count;
    rule.status = status;
    switch (how) {
    case Fault::Stall:
        rule.action = Action::Stall;
        break;
    case Fault::Drop:
        rule.action = Action::Drop;
        break;
    case Fault::Error:
        rule.action = Action::Error;
        rule.body = "scripted failure";
        break;
    case Fault::Empty:
        rule.action = Action::Empty;
        break;
    case Fault::Truncate:
        rule.action = Action::Truncate;
        break;
    }
    AddRule(pattern, std::move(rule));
}

void FixtureServer::ClearScript() {
    m_rules.clear();
    m_latencyMs = 0;
}

LoopbackServer::Reply FixtureServer::Respond(const Request& request) {
    int delayMs = m_latencyMs;
    const Rule* outcome = nullptr;
    for (Rule& rule : m_rules) {
        if (!Matches(rule, request.url) || rule.remaining == 0)
            continue;
        if (rule.action == Action::Delay) {
            delayMs += rule.ms;
            continue;
        }
        if (outcome)
            continue; // the first fault that applies wins; later ones keep their count
        if (rule.remaining > 0)
            --rule.remaining;
        outcome = &rule;
    }

    Reply reply = TableReply(request);
    if (outcome) {
        switch (outcome->action) {
        case Action::Stall:
            return Reply::Stall();
        case Action::Drop:
            reply = Reply::Drop();
            break;
        case Action::Error: {
            Response response;
            response.status = outcome->status;
            response.contentType = "text/html; charset=utf-8";
            response.body = outcome->body;
            reply = Reply::Answer(response);
            break;
        }
        case Action::Empty: {
            Response response;
            response.contentType = "text/html; charset=utf-8";
            reply = Reply::Answer(response);
            break;
        }
        case Action::Truncate:
            if (reply.kind == Reply::Kind::Answer)
                reply.response.cutAfter = reply.response.body.size() / 2;
            break;
        case Action::Delay:
            break;
        }
    }
    if (delayMs <= 0)
        return reply;

    const quint64 token = NewToken();
    m_peakPendingReplies = std::max(m_peakPendingReplies, ++m_pendingReplies);
    QTimer::singleShot(delayMs, this, [this, token, reply] {
        --m_pendingReplies;
        if (reply.kind == Reply::Kind::Drop)
            DropLater(token);
        else
            AnswerLater(token, reply.response);
    });
    Reply later;
    later.kind = Reply::Kind::Later;
    later.token = token;
    return later;
}

ScopedProxyEnv::ScopedProxyEnv(const LoopbackServer& server) : ScopedProxyEnv(server.ProxyUrl()) {}

ScopedProxyEnv::ScopedProxyEnv(const QString& proxyUrl) {
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "no_proxy", "NO_PROXY"})
        m_saved.append(Saved{name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    qputenv("http_proxy", proxyUrl.toUtf8());
    qputenv("https_proxy", proxyUrl.toUtf8());
    qunsetenv("HTTP_PROXY");
    qunsetenv("HTTPS_PROXY");
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
}

ScopedProxyEnv::~ScopedProxyEnv() {
    for (const Saved& saved : std::as_const(m_saved)) {
        if (saved.set)
            qputenv(saved.name, saved.value);
        else
            qunsetenv(saved.name);
    }
}

} // namespace pellomar::test
