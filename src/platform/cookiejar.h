// SPDX-License-Identifier: GPL-3.0-or-later
// The cookies of a run: a login the user brought, and those the services set on the way.
// Qt's jar already matches domains, paths and the secure flag when it sends; this one also
// refuses, as browsers do, what a plain-http answer may not set.
#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QNetworkCookieJar>

namespace pellomar {

class CookieJar : public QNetworkCookieJar {
    Q_OBJECT
  public:
    using QNetworkCookieJar::QNetworkCookieJar;

    // Each cookie as it stands (its domain and path already set), replacing one with the
    // same name, domain and path.
    void Add(const QList<QNetworkCookie>& cookies);
    // Each cookie with the same name, domain and path.
    void Remove(const QList<QNetworkCookie>& cookies);
    void Clear();

  protected:
    bool validateCookie(const QNetworkCookie& cookie, const QUrl& url) const override;

  private:
    bool ShadowsSecureCookie(const QNetworkCookie& cookie) const;
};

} // namespace pellomar
