// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/loginstorage.h"

#include "platform/cookiesfile.h"
#include "platform/network.h"

#include <QStandardPaths>

namespace pellomar {

QString LoginStorageFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           u"/pellomar-login";
}

QString LoginCookiesCopy() {
    return LoginStorageFolder() + u"/pellomar-cookies.txt";
}

void LoadLoginCookies(Network& network, const std::function<bool(const QNetworkCookie&)>& keep) {
    QList<QNetworkCookie> kept = ReadCookiesFile(LoginCookiesCopy()).cookies;
    kept.removeIf([&keep](const QNetworkCookie& cookie) { return !keep(cookie); });
    network.AddCookies(kept);
}

} // namespace pellomar
