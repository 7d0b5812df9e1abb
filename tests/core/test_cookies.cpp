// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cookiesfile.h"

#include <gtest/gtest.h>

using namespace pellomar;

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
