// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/httpclient.h"
#include "platform/network.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace pellomar;
using namespace pellomar::test;

namespace {

QString Address(int i) {
    return u"http://blog.sina.com.cn/s/blog_" + QString::number(i) + u".html";
}

QCoro::Task<> Completed(HttpClient& client) {
    co_await client.Completion();
}

// A raw connection, for what a well-behaved client never does (pipelining, split writes).
class RawClient {
  public:
    explicit RawClient(quint16 port) {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        EXPECT_TRUE(m_socket.waitForConnected(5000));
    }
    void Write(const QByteArray& bytes) {
        m_socket.write(bytes);
        m_socket.flush();
    }
    // Reads until `count` complete responses arrived or the time is up.
    QList<QByteArray> Responses(int count, int timeoutMs = 3000) {
        static_cast<void>(QTest::qWaitFor(
            [&] {
                m_received += m_socket.readAll();
                return Split().size() >= count;
            },
            timeoutMs));
        m_received += m_socket.readAll();
        return Split();
    }
    QByteArray Received() {
        m_received += m_socket.readAll();
        return m_received;
    }
    bool Connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

  private:
    QList<QByteArray> Split() const {
        QList<QByteArray> responses;
        qsizetype at = 0;
        while (true) {
            const qsizetype end = m_received.indexOf("\r\n\r\n", at);
            if (end < 0)
                break;
            const QByteArray head = m_received.mid(at, end - at);
            const qsizetype lengthAt = head.indexOf("Content-Length: ");
            const qsizetype length =
                lengthAt < 0 ? 0 : head.mid(lengthAt + 16).split('\r').first().toLongLong();
            if (m_received.size() < end + 4 + length)
                break;
            responses.append(m_received.mid(at, end + 4 + length - at));
            at = end + 4 + length;
        }
        return responses;
    }

    QTcpSocket m_socket;
    QByteArray m_received;
};

QByteArray Get(const QString& url, const char* extra = "") {
    return "GET " + url.toUtf8() + " HTTP/1.1\r\nHost: blog.sina.com.cn\r\n" + extra + "\r\n";
}

class LoopbackServerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.Start()); }
    FixtureServer server;
};

TEST_F(LoopbackServerTest, SequentialRequestsShareOneKeptAliveConnection) {
    for (int i = 0; i < 20; ++i)
        server.SetPage(Address(i), QByteArray::number(i));
    ScopedProxyEnv proxy(server);
    Network network;
    HttpClient client(network);

    for (int i = 0; i < 20; ++i) {
        client.Open(QStringLiteral("GET"), Address(i), true);
        client.Send();
        RunTask(Completed(client), 5000);
        ASSERT_EQ(client.ResponseBody(), QByteArray::number(i));
    }
    EXPECT_EQ(server.TotalRequests(), 20);
    EXPECT_LE(server.ConnectionCount(), 2);
}

TEST_F(LoopbackServerTest, ManyConcurrentRequestsAllGetTheirOwnAnswer) {
    constexpr int kCount = 40;
    for (int i = 0; i < kCount; ++i)
        server.SetPage(Address(i), "page " + QByteArray::number(i));
    server.SetLatency(40);
    ScopedProxyEnv proxy(server);
    Network network;
    std::vector<std::unique_ptr<HttpClient>> clients;
    for (int i = 0; i < kCount; ++i) {
        clients.push_back(std::make_unique<HttpClient>(network));
        clients.back()->Open(QStringLiteral("GET"), Address(i), true);
        clients.back()->Send();
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const auto& c : clients)
                if (c->ReadyState() != 4)
                    return false;
            return true;
        },
        10'000));
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(clients[i]->ResponseBody(), "page " + QByteArray::number(i));
    EXPECT_EQ(server.TotalRequests(), kCount);
    EXPECT_LE(server.ConnectionCount(), 6) << "the client keeps at most six connections";
    EXPECT_GT(server.PeakPendingReplies(), 1) << "requests were answered one by one";
    EXPECT_EQ(server.PendingReplies(), 0);
}

TEST_F(LoopbackServerTest, PipelinedRequestsAreAnsweredInOrder) {
    const QString slow = Address(1);
    const QString quick = Address(2);
    server.SetPage(slow, "slow");
    server.SetPage(quick, "quick");
    server.AddDelay(slow, 100);

    RawClient raw(server.Port());
    raw.Write(Get(slow) + Get(quick));
    const QList<QByteArray> responses = raw.Responses(2);
    ASSERT_EQ(responses.size(), 2);
    EXPECT_TRUE(responses[0].endsWith("\r\n\r\nslow"));
    EXPECT_TRUE(responses[1].endsWith("\r\n\r\nquick"));
    EXPECT_TRUE(raw.Connected());
}

TEST_F(LoopbackServerTest, RequestArrivingInPiecesIsReadWhole) {
    server.SetPage(Address(1), "one");
    LoopbackServer::Response posted;
    posted.body = "posted";
    server.SetResponse(Address(2), posted);

    RawClient raw(server.Port());
    const QByteArray request = Get(Address(1));
    raw.Write(request.left(10));
    QTest::qWait(30);
    raw.Write(request.mid(10, 25));
    QTest::qWait(30);
    EXPECT_EQ(server.TotalRequests(), 0) << "half a request must not be answered";
    raw.Write(request.mid(35));
    // A body announced by Content-Length, split across writes, then nothing more.
    raw.Write("POST " + Address(2).toUtf8() +
              " HTTP/1.1\r\nHost: x\r\nContent-Length: 11\r\n\r\nhello");
    QTest::qWait(30);
    raw.Write(" world");
    const QList<QByteArray> responses = raw.Responses(2);
    ASSERT_EQ(responses.size(), 2);
    EXPECT_TRUE(responses[0].endsWith("one"));
    EXPECT_TRUE(responses[1].endsWith("posted"));
    ASSERT_TRUE(server.LastRequest());
    EXPECT_EQ(server.LastRequest()->body, "hello world");
    EXPECT_EQ(server.LastRequest()->method, "POST");
}

TEST_F(LoopbackServerTest, OriginFormIsRoutedByItsHostHeader) {
    server.SetPage(QStringLiteral("http://blog.sina.com.cn/s/a%20b.html?x=1"), "found");
    RawClient raw(server.Port());
    raw.Write("GET /s/a%20b.html?x=1 HTTP/1.1\r\nHost: BLOG.sina.com.cn:80\r\n\r\n");
    const QList<QByteArray> responses = raw.Responses(1);
    ASSERT_EQ(responses.size(), 1);
    EXPECT_TRUE(responses[0].startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(responses[0].endsWith("found"));
    EXPECT_FALSE(server.LastRequest()->proxied);
    EXPECT_EQ(server.RequestCount(QStringLiteral("http://blog.sina.com.cn/s/a b.html?x=1")), 1);
}

TEST_F(LoopbackServerTest, UnknownAddressAndBadRequestAreRefused) {
    RawClient raw(server.Port());
    raw.Write(Get(Address(9)));
    QList<QByteArray> responses = raw.Responses(1);
    ASSERT_EQ(responses.size(), 1);
    EXPECT_TRUE(responses[0].startsWith("HTTP/1.1 404 "));
    EXPECT_TRUE(responses[0].contains(Address(9).toUtf8()));

    RawClient bad(server.Port());
    bad.Write("NONSENSE\r\n\r\n");
    responses = bad.Responses(1);
    ASSERT_EQ(responses.size(), 1);
    EXPECT_TRUE(responses[0].startsWith("HTTP/1.1 400 "));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bad.Connected(); }, 3000));
}

TEST_F(LoopbackServerTest, ConnectionCloseIsHonoured) {
    server.SetPage(Address(1), "one");
    RawClient raw(server.Port());
    raw.Write(Get(Address(1), "Connection: close\r\n") + Get(Address(1)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !raw.Connected(); }, 3000));
    EXPECT_EQ(server.TotalRequests(), 1) << "nothing after a closing request is read";
    EXPECT_TRUE(raw.Received().contains("Connection: close"));
}

TEST_F(LoopbackServerTest, StallKeepsTheConnectionOpenWithoutAnswer) {
    server.Stall(Address(1));
    RawClient raw(server.Port());
    raw.Write(Get(Address(1)));
    QTest::qWait(200);
    EXPECT_TRUE(raw.Received().isEmpty());
    EXPECT_TRUE(raw.Connected());
    EXPECT_EQ(server.RequestCount(Address(1)), 1);
}

TEST_F(LoopbackServerTest, DropClosesWithoutAnswer) {
    server.Drop(Address(1));
    RawClient raw(server.Port());
    raw.Write(Get(Address(1)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !raw.Connected(); }, 3000));
    EXPECT_TRUE(raw.Received().isEmpty());
}

TEST_F(LoopbackServerTest, FailFirstThenServeNormally) {
    server.SetPage(Address(1), "finally");
    server.FailFirst(Address(1), 2, FixtureServer::Fault::Error, 503);
    server.FailFirst(QStringLiteral("http://blog.sina.com.cn/s/blog_2*"), 1,
                     FixtureServer::Fault::Empty);
    server.SetPage(Address(22), "twenty-two");
    RawClient raw(server.Port());
    raw.Write(Get(Address(1)) + Get(Address(1)) + Get(Address(1)) + Get(Address(22)) +
              Get(Address(22)));
    const QList<QByteArray> responses = raw.Responses(5);
    ASSERT_EQ(responses.size(), 5);
    EXPECT_TRUE(responses[0].startsWith("HTTP/1.1 503 "));
    EXPECT_TRUE(responses[1].startsWith("HTTP/1.1 503 "));
    EXPECT_TRUE(responses[2].startsWith("HTTP/1.1 200 "));
    EXPECT_TRUE(responses[2].endsWith("finally"));
    EXPECT_TRUE(responses[3].contains("Content-Length: 0\r\n")) << "the wildcard matched once";
    EXPECT_TRUE(responses[4].endsWith("twenty-two"));
}

TEST_F(LoopbackServerTest, LatencyHoldsEveryAnswerWithoutBlocking) {
    server.SetPage(Address(1), "one");
    server.SetLatency(150);
    RawClient raw(server.Port());
    QElapsedTimer timer;
    timer.start();
    raw.Write(Get(Address(1)));
    QTest::qWait(20);
    EXPECT_EQ(server.PendingReplies(), 1);
    ASSERT_EQ(raw.Responses(1).size(), 1);
    EXPECT_GE(timer.elapsed(), 140);
    EXPECT_EQ(server.PendingReplies(), 0);
}

TEST_F(LoopbackServerTest, ClientLeavingBeforeADelayedAnswerIsHarmless) {
    server.SetPage(Address(1), "one");
    server.AddDelay(Address(1), 100);
    {
        RawClient raw(server.Port());
        raw.Write(Get(Address(1)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.TotalRequests() == 1; }, 3000));
    }
    QTest::qWait(200);
    EXPECT_EQ(server.PendingReplies(), 0);
    RawClient again(server.Port());
    again.Write(Get(Address(1)));
    EXPECT_EQ(again.Responses(1).size(), 1);
}

} // namespace
