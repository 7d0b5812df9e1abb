// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cookiejar.h"

#include <QUrl>

namespace pellomar {

namespace {

QString BareDomain(const QNetworkCookie& cookie) {
    const QString domain = cookie.domain();
    return domain.startsWith(u'.') ? domain.mid(1) : domain;
}

bool WithinDomain(const QString& host, const QString& domain) {
    return host == domain || host.endsWith(u'.' + domain);
}

} // namespace

void CookieJar::Add(const QList<QNetworkCookie>& cookies) {
    for (const QNetworkCookie& cookie : cookies)
        insertCookie(cookie);
}

void CookieJar::Remove(const QList<QNetworkCookie>& cookies) {
    for (const QNetworkCookie& cookie : cookies)
        deleteCookie(cookie);
}

void CookieJar::Clear() {
    setAllCookies({});
}

// The rules of RFC 6265bis Qt does not apply: a plain-http answer neither sets a secure
// cookie nor replaces one, and the __Secure- and __Host- prefixes keep their promise.
bool CookieJar::validateCookie(const QNetworkCookie& cookie, const QUrl& url) const {
    if (!QNetworkCookieJar::validateCookie(cookie, url))
        return false;
    const bool overHttps = url.scheme() == u"https";
    if (cookie.isSecure() && !overHttps)
        return false;
    if (!cookie.isSecure() && !overHttps && ShadowsSecureCookie(cookie))
        return false;
    if (cookie.name().startsWith("__Secure-") && !cookie.isSecure())
        return false;
    if (cookie.name().startsWith("__Host-") &&
        (!cookie.isSecure() || cookie.domain().startsWith(u'.') || cookie.path() != u"/"))
        return false;
    return true;
}

bool CookieJar::ShadowsSecureCookie(const QNetworkCookie& cookie) const {
    const QList<QNetworkCookie> cookies = allCookies();
    for (const QNetworkCookie& kept : cookies) {
        if (!kept.isSecure() || kept.name() != cookie.name() ||
            !cookie.path().startsWith(kept.path()))
            continue;
        const QString keptDomain = BareDomain(kept);
        const QString domain = BareDomain(cookie);
        if (WithinDomain(domain, keptDomain) || WithinDomain(keptDomain, domain))
            return true;
    }
    return false;
}

} // namespace pellomar
