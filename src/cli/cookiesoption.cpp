// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cookiesoption.h"

#include "platform/cookiesfile.h"
#include "services/service.h"

#include <QStringList>

namespace pellomar::cli {

namespace {

// A login is kept on the site's domain, one label above its blog host (blog.sina.com.cn:
// sina.com.cn); the hosts the services' paces name add Sina's picture sites.
QStringList ServiceSites() {
    QStringList sites;
    for (const char* host : {hosts::kSinaBlog, hosts::kSinaStatic, hosts::kBaiduSpace,
                             hosts::kHexunDomain, hosts::kNetEaseDomain, hosts::kSohuDomain}) {
        const QString name = QString::fromLatin1(host);
        sites.append(name.mid(name.indexOf(u'.') + 1));
    }
    for (ServiceKind kind = 0; kind < kServiceCount; ++kind)
        for (const PaceRule& rule : FindService(kind)->pace)
            sites += rule.hosts;
    return sites;
}

bool ForAService(const QNetworkCookie& cookie) {
    static const QStringList sites = ServiceSites();
    QString domain = cookie.domain();
    if (domain.startsWith(u'.'))
        domain.remove(0, 1);
    for (const QString& site : sites)
        if (domain == site || domain.endsWith(u'.' + site))
            return true;
    return false;
}

} // namespace

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
        if (ForAService(cookie))
            usable.append(cookie);
    if (usable.isEmpty()) {
        console.Error(u"cookies文件里没有新浪等博客网站的cookie：" + path);
        return std::nullopt;
    }
    return usable;
}

} // namespace pellomar::cli
