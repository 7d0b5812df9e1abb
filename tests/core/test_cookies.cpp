// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cookiesfile.h"
#include "platform/httpclient.h"
#include "platform/network.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"
#include "support/tlsfixture.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

// The cookies as Set-Cookie would give them, then the bad lines and the expired count.
std::string Described(const CookiesFile& file) {
    QByteArrayList parts;
    for (const QNetworkCookie& cookie : file.cookies)
        parts << cookie.toRawForm();
    for (int line : file.badLines)
        parts << "bad " + QByteArray::number(line);
    parts << "expired " + QByteArray::number(file.expired);
    return parts.join(" | ").toStdString();
}

QCoro::Task<> Completed(HttpClient& client) {
    co_await client.Completion();
}

} // namespace

TEST(CookiesTest, FileLinesBecomeCookiesWithTheirDomainsOrAreCountedOut) {
    const std::pair<QByteArray, std::string> cases[] = {
        {"# Netscape HTTP Cookie File\n\n \n# .sina.com.cn\tTRUE\t/\tFALSE\t0\tX\tx\n"
         "#HttpOnly_blog.sina.com.cn\tFALSE\t/s\tTRUE\t1800000000\tSUBP\t\n",
         "SUBP=; secure; HttpOnly; expires=Fri, 15-Jan-2027 08:00:00 GMT; "
         "domain=blog.sina.com.cn; path=/s | expired 0"},
        // The flag, not a leading dot, says whether subdomains share the cookie.
        {".blog.sina.com.cn\tFALSE\t/\tfalse\t0\tA\t1\nSina.com.cn\tTRUE\t\tFALSE\t0\tB\t2\n",
         "A=1; domain=blog.sina.com.cn; path=/ | B=2; domain=.sina.com.cn; path=/ | expired 0"},
        {".sina.com.cn\tTRUE\t/\tFALSE\t1600000000\tOLD\tx\n", "expired 1"},
        {"# head\n.sina.com.cn\tTRUE\t/\tFALSE\t0\tSUB\n.sina.com.cn\tYES\t/\tFALSE\t0\tA\t1\n"
         ".sina.com.cn\tTRUE\t/\tFALSE\tsoon\tA\t1\n.sina.com.cn\tTRUE\t/\tFALSE\t0\t\t1\n"
         ".sina.com.cn\tTRUE\t/\tFALSE\t-5\tA\t1\n",
         "bad 2 | bad 3 | bad 4 | bad 5 | bad 6 | expired 0"},
        {"# head\r\n\r\nbad\r\n.sina.com.cn\tTRUE\t/\tFALSE\t0\tA\tv\r\n",
         "A=v; domain=.sina.com.cn; path=/ | bad 3 | expired 0"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Described(ParseCookiesFile(
                      text, QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC))),
                  expected);
}

TEST(CookiesTest, AWrittenFileReadsBackTheSameCookiesAndOnlyItsOwnerMayReadIt) {
    const CookiesFile original =
        ParseCookiesFile("#HttpOnly_.sina.com.cn\tTRUE\t/\tTRUE\t1800000000\tSUB\t_2A25\n"
                         "login.sina.com.cn\tFALSE\t/sso\tFALSE\t0\tULOGIN\tx=1\n",
                         QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC));
    ASSERT_EQ(original.cookies.size(), 2);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"cookies.txt"_qs);
    ASSERT_EQ(WriteCookiesFile(path, original.cookies), QString());
    EXPECT_EQ(Described(ReadCookiesFile(path)), Described(original));
    EXPECT_EQ(QFile::permissions(path) & 0x0077, 0);
}

TEST(CookiesTest, LoginGoesOnlyWhereItBelongsAndAnswersAreKept) {
    FixtureServer server;
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(ServeTls(server));
    server.SetResponse(u"http://blog.sina.com.cn/s/articlelist_1_0_1.html"_qs,
                       {200, "text/html", "list", {{"Set-Cookie", "visit=1"}}, -1});
    server.Redirect(u"http://www.example.com/go"_qs, u"https://blog.sina.com.cn/s/blog_1.html"_qs);
    ScopedProxyEnv proxy(server);
    ScopedCertFileEnv authority;
    Network network;
    network.AddCookies(ParseCookiesFile(".sina.com.cn\tTRUE\t/\tFALSE\t0\tSUB\tlogin\n"
                                        "blog.sina.com.cn\tFALSE\t/s\tFALSE\t0\tPATH\tp\n"
                                        "blog.sina.com.cn\tFALSE\t/\tTRUE\t0\tSECURE\tx\n",
                                        QDateTime::currentDateTimeUtc())
                           .cookies);
    HttpClient client(network);

    // In order: the list page's answer sets "visit" for the host's /s folder; the last
    // address leads to https.
    const std::pair<const char*, QSet<QByteArray>> cases[] = {
        {"http://blog.sina.com.cn/s/articlelist_1_0_1.html", {"SUB=login", "PATH=p"}},
        {"http://blog.sina.com.cn/s/blog_2.html", {"SUB=login", "PATH=p", "visit=1"}},
        {"http://blog.sina.com.cn/", {"SUB=login"}},
        {"http://photo.blog.sina.com.cn/s/a.jpg", {"SUB=login"}},
        {"http://www.example.com/s/a.html", {}},
        {"http://www.example.com/go", {"SUB=login", "PATH=p", "visit=1", "SECURE=x"}},
    };
    for (const auto& [address, expected] : cases) {
        client.Open(u"GET"_qs, QString::fromLatin1(address), true);
        client.Send();
        RunTask(Completed(client), 5000);
        ASSERT_TRUE(server.LastRequest());
        QSet<QByteArray> sent;
        for (const QByteArray& cookie : server.LastRequest()->headers.value("cookie").split(';'))
            sent.insert(cookie.trimmed());
        sent.remove({});
        EXPECT_EQ(sent, expected) << address;
    }
    network.ClearCookies();
    EXPECT_FALSE(network.HasCookiesFor(QUrl(u"http://blog.sina.com.cn/s/"_qs)));
}

// What browsers refuse and Qt's jar alone would keep; the jar holds a secure login "SUB".
TEST(CookiesTest, PlainHttpNeitherSetsNorReplacesSecureCookies) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"a=1; Secure", "http", false},
        {"a=1; Secure", "https", true},
        {"SUB=2; Domain=sina.com.cn", "http", false},
        {"SUB=2; Domain=sina.com.cn", "https", true},
        {"__Secure-a=1", "https", false},
        {"__Host-a=1; Secure; Path=/; Domain=sina.com.cn", "https", false},
    };
    for (const auto& [header, scheme, kept] : cases) {
        CookieJar jar;
        jar.Add(ParseCookiesFile(".sina.com.cn\tTRUE\t/\tTRUE\t0\tSUB\t1\n", {}).cookies);
        const QUrl from(QString::fromLatin1(scheme) + u"://blog.sina.com.cn/"_qs);
        EXPECT_EQ(jar.setCookiesFromUrl(QNetworkCookie::parseCookies(header), from), kept)
            << header << ' ' << scheme;
    }
}
