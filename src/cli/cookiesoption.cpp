// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cookiesoption.h"

#include "platform/cookiesfile.h"
#include "services/service.h"

namespace pellomar::cli {

// Only the services' cookies are kept: pictures come from any host, and the user's other
// logins are none of theirs.
std::optional<QList<QNetworkCookie>> ReadCookiesOption(const QString& path, Console& console) {
    const CookiesFile file = ReadCookiesFile(path);
    if (!file.error.isEmpty()) {
        console.Error(u"无法读取cookies文件：" + path);
        return std::nullopt;
    }
    for (int line : file.badLines)
        console.Error(QStringLiteral("cookies文件第%1行不是cookie，已跳过").arg(line));
    if (file.expired > 0)
        console.Error(QStringLiteral("cookies文件里有%1个过期的cookie，已跳过").arg(file.expired));
    QList<QNetworkCookie> usable;
    for (const QNetworkCookie& cookie : file.cookies)
        if (IsServiceCookie(cookie))
            usable.append(cookie);
    if (usable.isEmpty()) {
        console.Error(u"cookies文件里没有新浪等博客网站的cookie：" + path);
        return std::nullopt;
    }
    return usable;
}

} // namespace pellomar::cli
