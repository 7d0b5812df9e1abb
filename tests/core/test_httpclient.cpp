// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/httpclient.h"
#include "platform/network.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"
#include "support/tlsfixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

const QString kPage = QStringLiteral("http://blog.sina.com.cn/s/blog_40e4b5660100sser.html");
const QByteArray kBody = QStringLiteral("<p>正文：今天的天气很好。</p>").toUtf8();
const QString kSecurePage = QStringLiteral("https://blog.sina.com.cn/s/x.html");

QCoro::Task<> Completed(HttpClient& client) {
    co_await client.Completion();
}

// Opens, sends and waits for the end of one GET.
void Fetch(HttpClient& client, const QString& address, int timeoutMs = 5000) {
    client.Open(QStringLiteral("GET"), address, true);
    client.Send();
    RunTask(Completed(client), timeoutMs);
}

class HttpClientTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.Start()); }

    FixtureServer server;
    Network network;
    HttpClient client{network};
};

TEST_F(HttpClientTest, AsyncGetReturnsAtOnceAndCompletesWithTheBody) {
    server.SetPage(kPage, kBody);
    ScopedProxyEnv proxy(server);

    EXPECT_EQ(client.ReadyState(), 0);
    client.Open(QStringLiteral("GET"), kPage, true);
    EXPECT_EQ(client.ReadyState(), 1);
    client.Send();
    EXPECT_NE(client.ReadyState(), 4) << "an asynchronous send must not wait for the reply";
    RunTask(Completed(client), 5000);

    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(client.ResponseBody(), kBody);
    EXPECT_EQ(client.responsetext(), QStringLiteral("<p>正文：今天的天气很好。</p>"));
    EXPECT_EQ(server.RequestCount(kPage), 1);
    ASSERT_TRUE(server.LastRequest());
    EXPECT_TRUE(server.LastRequest()->proxied);
}

TEST_F(HttpClientTest, ForeignHostGoesThroughHttpProxyUnlessNoProxyNamesIt) {
    const QString direct = server.ProxyUrl() + u"/direct";
    server.SetPage(direct, "here");
    ScopedProxyEnv proxy(server);

    Fetch(client, direct);
    EXPECT_EQ(client.ResponseBody(), "here");
    ASSERT_TRUE(server.LastRequest());
    EXPECT_TRUE(server.LastRequest()->proxied);

    qputenv("no_proxy", "example.org, 127.0.0.1");
    Fetch(client, direct);
    EXPECT_EQ(client.ResponseBody(), "here");
    ASSERT_TRUE(server.LastRequest());
    EXPECT_FALSE(server.LastRequest()->proxied) << "no_proxy names the host: ask it directly";
    EXPECT_EQ(server.RequestCount(direct), 2);
}

TEST_F(HttpClientTest, WithoutProxyVariableNothingReachesTheServer) {
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    EXPECT_EQ(Network::ProxyFromEnvironment(QUrl(kPage)).type(), QNetworkProxy::NoProxy);
    ScopedProxyEnv proxy(server);
    const QNetworkProxy chosen = Network::ProxyFromEnvironment(QUrl(kPage));
    EXPECT_EQ(chosen.type(), QNetworkProxy::HttpProxy);
    EXPECT_EQ(chosen.hostName(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(chosen.port(), server.Port());
}

TEST_F(HttpClientTest, ScopedProxyEnvRestoresTheVariables) {
    qputenv("http_proxy", "http://10.0.0.1:3128");
    qputenv("no_proxy", "localhost");
    qunsetenv("NO_PROXY");
    {
        ScopedProxyEnv proxy(server);
        EXPECT_EQ(qgetenv("http_proxy"), server.ProxyUrl().toUtf8());
        EXPECT_FALSE(qEnvironmentVariableIsSet("no_proxy"));
    }
    EXPECT_EQ(qgetenv("http_proxy"), "http://10.0.0.1:3128");
    EXPECT_EQ(qgetenv("no_proxy"), "localhost");
    EXPECT_FALSE(qEnvironmentVariableIsSet("NO_PROXY"));
    qunsetenv("http_proxy");
    qunsetenv("no_proxy");
}

TEST_F(HttpClientTest, RedirectsAreFollowed) {
    const QString moved = QStringLiteral("http://blog.sina.com.cn/s/moved.html");
    server.Redirect(kPage, moved);
    server.SetPage(moved, kBody);
    ScopedProxyEnv proxy(server);

    Fetch(client, kPage);
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(client.ResponseBody(), kBody);
    EXPECT_GE(server.RequestCount(kPage), 1);
    EXPECT_GE(server.RequestCount(moved), 1);
    ASSERT_TRUE(server.LastRequest());
    EXPECT_EQ(server.LastRequest()->url, moved);
}

TEST_F(HttpClientTest, HttpsThroughTheProxyIsTrustedOnlyWithTheAuthorityInSslCertFile) {
    ASSERT_TRUE(ServeTls(server));
    server.SetPage(kSecurePage, kBody);
    ScopedProxyEnv proxy(server);

    // Untrusted first: a connection the authority let through would be kept alive.
    const QByteArray rows[] = {"", PELLOMAR_TEST_DATA "/tls/missing.pem",
                               PELLOMAR_TEST_DATA "/tls/server.key", kTestAuthority};
    for (const QByteArray& certFile : rows) {
        ScopedCertFileEnv env(certFile);
        Fetch(client, kSecurePage);
        const bool trusted = certFile == kTestAuthority;
        EXPECT_EQ(client.Status(), trusted ? 200 : 0) << certFile.constData();
        EXPECT_EQ(client.ResponseBody(), trusted ? kBody : QByteArray()) << certFile.constData();
    }
    EXPECT_EQ(server.RequestCount(kSecurePage), 1);

    ScopedCertFileEnv env;
    EXPECT_GT(network.MakeRequest(QUrl(kSecurePage)).sslConfiguration().caCertificates().size(),
              QSslConfiguration::systemCaCertificates().size())
        << "the system's authorities stay trusted";
}

TEST_F(HttpClientTest, RedirectFromHttpToItsHttpsTwinIsFollowedIntoTls) {
    const QString plain = QStringLiteral("http://blog.sina.com.cn/s/x.html");
    ASSERT_TRUE(ServeTls(server));
    server.Redirect(plain, kSecurePage, 301);
    server.SetPage(kSecurePage, kBody);
    ScopedProxyEnv proxy(server);
    ScopedCertFileEnv env;

    Fetch(client, plain);
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(client.ResponseBody(), kBody);
    EXPECT_GE(server.RequestCount(plain), 1);
    ASSERT_TRUE(server.LastRequest());
    EXPECT_EQ(server.LastRequest()->url, kSecurePage);
}

TEST_F(HttpClientTest, ErrorStatusCompletesAndKeepsItsBody) {
    server.AnswerError(kPage, 500, "server trouble");
    ScopedProxyEnv proxy(server);

    Fetch(client, kPage);
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_EQ(client.Status(), 500);
    EXPECT_EQ(client.ResponseBody(), "server trouble");
}

TEST_F(HttpClientTest, UnknownPageCompletesWith404) {
    ScopedProxyEnv proxy(server);
    Fetch(client, kPage);
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_EQ(client.Status(), 404);
}

TEST_F(HttpClientTest, DroppedConnectionCompletesWithEmptyBody) {
    server.Drop(kPage);
    ScopedProxyEnv proxy(server);

    Fetch(client, kPage);
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_EQ(client.Status(), 0);
    EXPECT_TRUE(client.ResponseBody().isEmpty());
    EXPECT_GE(server.RequestCount(kPage), 1);
}

TEST_F(HttpClientTest, UnreachableProxyCompletesWithEmptyBody) {
    const QString closedPort = server.ProxyUrl();
    server.Close(); // nothing listens there any more
    ScopedProxyEnv proxy(closedPort);

    Fetch(client, kPage);
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_EQ(client.Status(), 0);
    EXPECT_TRUE(client.ResponseBody().isEmpty());
}

TEST_F(HttpClientTest, AddressWithoutHostCompletesWithoutAsking) {
    ScopedProxyEnv proxy(server);
    Fetch(client, QStringLiteral("未找到-blog_x.html"));
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_TRUE(client.ResponseBody().isEmpty());
    EXPECT_EQ(server.TotalRequests(), 0);
}

TEST_F(HttpClientTest, AbortFreesTheObjectForANewOpenAtOnce) {
    const QString stalled = QStringLiteral("http://blog.sina.com.cn/s/stalled.html");
    server.Stall(stalled);
    server.SetPage(kPage, kBody);
    ScopedProxyEnv proxy(server);

    client.Open(QStringLiteral("GET"), stalled, true);
    client.Send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.RequestCount(stalled) == 1; }, 5000));
    client.abort();
    EXPECT_EQ(client.ReadyState(), 0);
    EXPECT_TRUE(client.ResponseBody().isEmpty());
    QTest::qWait(50);
    EXPECT_EQ(client.ReadyState(), 0) << "nothing of the aborted request may arrive late";

    Fetch(client, kPage);
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_EQ(client.ResponseBody(), kBody);
}

TEST_F(HttpClientTest, ReopenDropsTheRequestInFlight) {
    const QString slow = QStringLiteral("http://blog.sina.com.cn/s/slow.html");
    server.SetPage(slow, "old answer");
    server.AddDelay(slow, 200);
    server.SetPage(kPage, kBody);
    ScopedProxyEnv proxy(server);

    client.Open(QStringLiteral("GET"), slow, true);
    client.Send();
    Fetch(client, kPage);
    EXPECT_EQ(client.ResponseBody(), kBody);
    QTest::qWait(300);
    EXPECT_EQ(client.ResponseBody(), kBody) << "the first answer must not overwrite the second";
    EXPECT_EQ(client.Address(), kPage);
}

QCoro::Task<QByteArray> BlockingFetch(HttpClient& client, QString address) {
    client.Open(QStringLiteral("GET"), address, false);
    client.Send();
    co_await client.Completion();
    co_return client.ResponseBody();
}

TEST_F(HttpClientTest, CompletionResumesTheWaitingCoroutine) {
    server.SetPage(kPage, kBody);
    server.SetLatency(50);
    ScopedProxyEnv proxy(server);

    EXPECT_EQ(RunTask(BlockingFetch(client, kPage), 5000), kBody);
    EXPECT_EQ(client.ReadyState(), 4);
    // Awaiting a completed request resumes at once.
    EXPECT_EQ(RunTask(
                  [](HttpClient& c) -> QCoro::Task<int> {
                      co_await c.Completion();
                      co_return c.ReadyState();
                  }(client),
                  1000),
              4);
}

TEST_F(HttpClientTest, AbortWakesAWaiterSoItCannotSleepForEver) {
    server.Stall(kPage);
    ScopedProxyEnv proxy(server);

    QTimer::singleShot(100, &client, [this] { client.abort(); });
    RunTask(BlockingFetch(client, kPage), 5000);
    EXPECT_EQ(client.ReadyState(), 0);
}

TEST_F(HttpClientTest, StalledRequestEndsWithinTheTransferTimeLimit) {
    network.SetTransferTimeout(300);
    server.Stall(kPage);
    ScopedProxyEnv proxy(server);

    QElapsedTimer timer;
    timer.start();
    Fetch(client, kPage, 10'000);
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_EQ(client.Status(), 0);
    EXPECT_TRUE(client.ResponseBody().isEmpty());
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST_F(HttpClientTest, OversizedBodyIsGivenUp) {
    // Just past the cap: the client must not keep it.
    LoopbackServer::Response huge;
    huge.contentType = "application/octet-stream";
    huge.body = QByteArray(Network::kMaxBodyBytes + 1, 'x');
    server.SetResponse(kPage, huge);
    ScopedProxyEnv proxy(server);

    Fetch(client, kPage, 30'000);
    EXPECT_EQ(client.ReadyState(), 4);
    EXPECT_TRUE(client.ResponseBody().isEmpty());
}

TEST_F(HttpClientTest, ABrokenTransferKeepsNoBody) {
    // A picture cut at half its length, and a page whose gzip encoding is garbage.
    const QString picture = QStringLiteral("http://img.example.com/cut.jpg");
    LoopbackServer::Response cut;
    cut.contentType = "image/jpeg";
    cut.body = QByteArray(100'000, 'p');
    server.SetResponse(picture, cut);
    server.Truncate(picture);
    LoopbackServer::Response bomb;
    bomb.contentType = "text/html";
    bomb.body = QByteArray("\x1f\x8b\x08\x00not gzip at all", 20) + QByteArray(4000, 'z');
    bomb.headers.append({QByteArray("Content-Encoding"), QByteArray("gzip")});
    server.SetResponse(kPage, bomb);
    ScopedProxyEnv proxy(server);

    for (const QString& address : QStringList{picture, kPage}) {
        Fetch(client, address);
        EXPECT_EQ(client.ReadyState(), 4);
        EXPECT_EQ(client.Status(), 0) << address.toStdString();
        EXPECT_TRUE(client.ResponseBody().isEmpty()) << address.toStdString();
    }
}

TEST_F(HttpClientTest, OnlyHttpAndHttpsAddressesAreAsked) {
    QTemporaryDir dir;
    const QString secret = dir.filePath(u"secret"_qs);
    QFile file(secret);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("do not copy me");
    file.close();
    ScopedProxyEnv proxy(server);

    const QStringList addresses = {u"file://localhost"_qs + secret, u"file://"_qs + secret,
                                   u"data:image/gif;base64,R0lGODlhAQABAAAAACw="_qs};
    for (const QString& address : addresses) {
        Fetch(client, address);
        EXPECT_EQ(client.ReadyState(), 4);
        EXPECT_TRUE(client.ResponseBody().isEmpty()) << address.toStdString();
    }
    EXPECT_EQ(server.TotalRequests(), 0);
    EXPECT_FALSE(IsWebAddress(u"file://localhost/etc/passwd?http=1"_qs));
    EXPECT_TRUE(IsWebAddress(u"https://img.example.com/a.jpg"_qs));
}

} // namespace

TEST_F(HttpClientTest, SlowDownAnswersAreAskedAgainAfterThePauseAndHeaderAndTypeCarry) {
    Pacer::Timing quick;
    quick.firstPauseMs = 100;
    network.pacer().SetTiming(quick);
    server.SetPage(kPage, kBody, "text/html; charset=utf-8");
    server.FailFirst(kPage, 1, FixtureServer::Fault::Error, 418);
    server.FailFirst(kPage, 1, FixtureServer::Fault::Error, 429);
    ScopedProxyEnv proxy(server);

    client.Open(QStringLiteral("GET"), kPage, true);
    client.SetHeader("Referer", "https://blog.sina.com.cn/");
    client.Send();
    EXPECT_TRUE(QTest::qWaitFor([this] { return client.Held(); }, 5000));
    RunTask(Completed(client), 5000);
    EXPECT_EQ(client.Status(), 200);
    EXPECT_EQ(client.ResponseBody(), kBody);
    EXPECT_EQ(client.ContentType(), "text/html");
    EXPECT_EQ(server.RequestCount(kPage), 3);
    EXPECT_EQ(network.pacer().PauseCount(), 2);
    ASSERT_TRUE(server.LastRequest());
    EXPECT_EQ(server.LastRequest()->headers.value("referer"), "https://blog.sina.com.cn/");
}

TEST_F(HttpClientTest, ATransferThatDoesNotEndInTimeFailsWithoutABody) {
    network.SetWholeTransferLimit(200);
    server.SetPage(kPage, kBody);
    server.AddDelay(kPage, 2000);
    ScopedProxyEnv proxy(server);
    QElapsedTimer clock;
    clock.start();
    Fetch(client, kPage);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(client.Status(), 0);
    EXPECT_TRUE(client.ResponseBody().isEmpty());
}

TEST_F(HttpClientTest, ConflictingLengthsMakeAFailedTransfer) {
    LoopbackServer::Response response;
    response.contentType = "text/html";
    response.body = kBody;
    response.headers = {{"Content-Length", "10"}};
    server.SetResponse(kPage, response);
    ScopedProxyEnv proxy(server);
    Fetch(client, kPage);
    EXPECT_EQ(client.Status(), 0);
    EXPECT_TRUE(client.ResponseBody().isEmpty()) << client.ResponseBody().toStdString();
}

TEST(LocalNetwork, LoopbackPrivateAndLinkLocalAddressesAreTheUsersOwn) {
    for (const char* own : {"http://127.0.0.1:22/", "http://[::1]/a", "http://169.254.169.254/",
                            "http://192.168.1.1/x.jpg", "http://10.0.0.8/", "http://172.16.0.1/",
                            "http://localhost/", "http://[fd00::1]/"})
        EXPECT_TRUE(IsLocalNetwork(QUrl(QString::fromLatin1(own)))) << own;
    for (const char* remote :
         {"http://s1.sinaimg.cn/a.jpg", "http://8.8.8.8/", "http://[2001:4860::8888]/"})
        EXPECT_FALSE(IsLocalNetwork(QUrl(QString::fromLatin1(remote)))) << remote;
}
