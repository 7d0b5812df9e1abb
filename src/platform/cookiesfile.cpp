// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cookiesfile.h"

#include <QFile>
#include <QSaveFile>
#include <optional>

namespace pellomar {

namespace {

constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
constexpr QByteArrayView kHttpOnlyPrefix = "#HttpOnly_";

std::optional<bool> Flag(const QByteArray& field) {
    if (field.compare("TRUE", Qt::CaseInsensitive) == 0)
        return true;
    if (field.compare("FALSE", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

// The cookie of one line; nullopt for a line that is none.
std::optional<QNetworkCookie> ParseLine(QByteArray line, qint64& expiry) {
    const bool httpOnly = line.startsWith(kHttpOnlyPrefix);
    if (httpOnly)
        line.remove(0, kHttpOnlyPrefix.size());
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 7)
        return std::nullopt;
    QString domain = QString::fromUtf8(fields[0]).toLower();
    const std::optional<bool> subdomains = Flag(fields[1]);
    const std::optional<bool> secure = Flag(fields[3]);
    bool expiryOk = false;
    expiry = fields[4].toLongLong(&expiryOk);
    if (domain.startsWith(u'.'))
        domain.remove(0, 1);
    if (domain.isEmpty() || !subdomains || !secure || !expiryOk || expiry < 0 ||
        fields[5].isEmpty())
        return std::nullopt;

    // Qt's jar sends a cookie whose domain starts with a dot to the subdomains too, and
    // one without only to that very host.
    QNetworkCookie cookie(fields[5], fields[6]);
    cookie.setDomain(*subdomains ? u'.' + domain : domain);
    cookie.setPath(fields[2].isEmpty() ? QStringLiteral("/") : QString::fromUtf8(fields[2]));
    cookie.setSecure(*secure);
    cookie.setHttpOnly(httpOnly);
    if (expiry != 0)
        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry, Qt::UTC));
    return cookie;
}

} // namespace

CookiesFile ParseCookiesFile(const QByteArray& text, const QDateTime& now) {
    CookiesFile result;
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines[0].startsWith("\xEF\xBB\xBF"))
        lines[0].remove(0, 3);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || (line.startsWith('#') && !line.startsWith(kHttpOnlyPrefix)))
            continue;
        qint64 expiry = 0;
        const std::optional<QNetworkCookie> cookie = ParseLine(line, expiry);
        if (!cookie)
            result.badLines.append(static_cast<int>(i + 1));
        else if (expiry != 0 && expiry <= now.toSecsSinceEpoch())
            ++result.expired;
        else
            result.cookies.append(*cookie);
    }
    return result;
}

CookiesFile ReadCookiesFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, {}, 0, file.errorString()};
    if (file.size() > kMaxFileBytes)
        return {{}, {}, 0, QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes)};
    return ParseCookiesFile(file.readAll(), QDateTime::currentDateTimeUtc());
}

QString WriteCookiesFile(const QString& path, const QList<QNetworkCookie>& cookies) {
    QByteArray text = "# Netscape HTTP Cookie File\n";
    for (const QNetworkCookie& cookie : cookies) {
        const bool subdomains = cookie.domain().startsWith(u'.');
        const qint64 expiry =
            cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch();
        QByteArrayList fields{cookie.domain().toUtf8(),
                              subdomains ? "TRUE" : "FALSE",
                              cookie.path().toUtf8(),
                              cookie.isSecure() ? "TRUE" : "FALSE",
                              QByteArray::number(expiry),
                              cookie.name(),
                              cookie.value()};
        text += (cookie.isHttpOnly() ? kHttpOnlyPrefix.toByteArray() : QByteArray()) +
                fields.join('\t') + '\n';
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) || file.write(text) < 0 ||
        !file.commit())
        return file.errorString();
    return {};
}

} // namespace pellomar
