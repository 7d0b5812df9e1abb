// SPDX-License-Identifier: GPL-3.0-or-later
// A login brought from a browser as a Netscape cookies.txt file (what browser extensions
// export and curl, wget and yt-dlp read): per line domain, include-subdomains flag, path,
// secure flag, expiry in Unix seconds (0: a session cookie), name and value, separated by
// tabs; "#HttpOnly_" before the domain marks an http-only cookie.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QNetworkCookie>
#include <QString>

namespace pellomar {

struct CookiesFile {
    QList<QNetworkCookie> cookies;
    // 1-based numbers of the lines that are no cookie; their text is never repeated, since
    // it may hold a login.
    QList<int> badLines;
    int expired = 0;
    // Why the file could not be read; empty when it could.
    QString error;
};

CookiesFile ParseCookiesFile(const QByteArray& text, const QDateTime& now);
CookiesFile ReadCookiesFile(const QString& path);
// Writes the cookies readable by the user alone; the file's error text, empty when written.
QString WriteCookiesFile(const QString& path, const QList<QNetworkCookie>& cookies);

} // namespace pellomar
