// SPDX-License-Identifier: GPL-3.0-or-later
// The services by number. A new service is one file and one line here.
#include "services/service.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "platform/network.h"
#include "services/blogaddress.h"
#include "services/listreader.h"

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QUrl>
#include <algorithm>

#include <array>

namespace pellomar {

namespace {

// Indexed by ServiceKind.
constexpr std::array<const Service& (*)(), kServiceCount> kServices = {
    &SinaService,    // 0
    &BaiduService,   // 1
    &HexunService,   // 2
    &NetEaseService, // 3
    &SohuService,    // 4
};

} // namespace

const Service* FindService(ServiceKind kind) {
    return IsKnownService(kind) ? &kServices[kind]() : nullptr;
}

const SiteProfile* Profile(ServiceKind kind) {
    const Service* service = FindService(kind);
    return service ? &service->profile : nullptr;
}

QString ArticleAddress(ServiceKind kind, const QString& taskName, const QString& link) {
    const Service* service = FindService(kind);
    return service ? service->articleAddress(taskName, link) : QString();
}

QString ArticleAddress(const AppState& state, int row) {
    return ArticleAddress(state.serviceKind, state.taskName,
                          state.table().Cell(row, ArticleTable::Link));
}

const PageWall* FindWall(ServiceKind kind, const QString& page) {
    const Service* service = FindService(kind);
    if (!service || page.indexOf(service->profile.BodyEnd) > 0)
        return nullptr;
    for (const PageWall& wall : service->walls)
        if (page.contains(wall.text))
            return &wall;
    return nullptr;
}

bool HasLogin(Network& network, ServiceKind kind, const QString& address) {
    const Service* service = FindService(kind);
    const QUrl url(address);
    if (!service || service->loginCookie.isEmpty())
        return network.HasCookiesFor(url);
    const QList<QNetworkCookie> cookies = network.manager().cookieJar()->cookiesForUrl(url);
    return std::any_of(cookies.begin(), cookies.end(), [service](const QNetworkCookie& c) {
        return c.name() == service->loginCookie;
    });
}

QString LoginProblem(Network& network, ServiceKind kind, const QString& address) {
    if (!HasLogin(network, kind, address))
        return QStringLiteral(
            "这个博客只有作者登录后才能看：请先登录（窗口里的“登录”，或命令行的 --cookies 文件）");
    return QStringLiteral("这个登录看不了这个博客：只有博客作者的账号才能看，请用作者的账号登录");
}

QString SameAddresses(ServiceKind kind, QString page) {
    const Service* service = FindService(kind);
    return service && service->sameAddresses ? service->sameAddresses(std::move(page)) : page;
}

void AddServicePace(Pacer& pacer) {
    for (ServiceKind kind = 0; kind < kServiceCount; ++kind)
        for (const PaceRule& rule : FindService(kind)->pace)
            pacer.AddRule(rule);
}

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

} // namespace

bool IsServiceCookie(const QNetworkCookie& cookie) {
    static const QStringList sites = ServiceSites();
    QString domain = cookie.domain();
    if (domain.startsWith(u'.'))
        domain.remove(0, 1);
    for (const QString& site : sites)
        if (domain == site || domain.endsWith(u'.' + site))
            return true;
    return false;
}

QString PicturesAsTheyStand(QString body) {
    return body;
}

std::unique_ptr<ListReader> MakeListReader(ServiceKind kind) {
    const Service* service = FindService(kind);
    return service && service->makeReader ? service->makeReader() : nullptr;
}

QString TaskNameAsTyped(ServiceKind kind, const QString& typed) {
    const Service* service = FindService(kind);
    return service && service->cleansTaskName ? SafeFileName(typed) : typed;
}

std::optional<QString> GeneratedBlogAddress(ServiceKind kind, const QString& name) {
    const Service* service = FindService(kind);
    if (!service || !service->blogAddress)
        return std::nullopt;
    return service->blogAddress(name);
}

bool PicturesByDefault(ServiceKind kind) {
    const Service* service = FindService(kind);
    return service && service->picturesByDefault;
}

} // namespace pellomar
