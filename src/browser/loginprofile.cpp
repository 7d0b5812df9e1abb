// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/loginprofile.h"

#include "browser/browserenvironment.h"
#include "platform/cookiesfile.h"
#include "platform/loginstorage.h"
#include "platform/network.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace pellomar {

namespace {

constexpr QFile::Permissions kUserOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

bool SameCookie(const QNetworkCookie& a, const QNetworkCookie& b) {
    return a.name() == b.name() && a.domain() == b.domain() && a.path() == b.path();
}

} // namespace

QString LoginProfile::StorageFolder() {
    return LoginStorageFolder();
}

QString LoginProfile::CookiesCopy() {
    return LoginCookiesCopy();
}

LoginProfile::LoginProfile(Network& network, std::function<bool(const QNetworkCookie&)> keep,
                           QObject* parent)
    : QObject(parent), m_network(network), m_keep(std::move(keep)) {
    const QString folder = StorageFolder();
    QDir().mkpath(QFileInfo(folder).path());
    QDir().mkdir(folder, kUserOnly);
    // mkdir's mode passes through the umask, and a folder from an older run keeps its own.
    QFile::setPermissions(folder, kUserOnly);

    UseEnvironmentProxy();
    m_profile = std::make_unique<QWebEngineProfile>(QStringLiteral("login"));
    m_profile->setPersistentStoragePath(folder);
    m_profile->setCachePath(folder + u"/cache");
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    // Sina's login is a session cookie unless the user ticks "remember me"; it is kept
    // anyway, or it would be gone at the next start.
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    connect(m_profile.get(), &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadRequest* download) { download->cancel(); });
    QWebEngineCookieStore* store = m_profile->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this, &LoginProfile::Added);
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, &LoginProfile::Removed);
}

LoginProfile::~LoginProfile() = default;

// QtWebEngine 6.4 announces no cookie it loads from disk (loadAllCookies included), so the
// jar is filled from our own copy.
void LoginProfile::LoadCookies() {
    const QList<QNetworkCookie> saved = ReadCookiesFile(CookiesCopy()).cookies;
    for (const QNetworkCookie& cookie : saved)
        Added(cookie);
}

void LoginProfile::LogOut() {
    m_kept.clear();
    QFile::remove(CookiesCopy());
    if (!m_waker) {
        m_waker = std::make_unique<QWebEnginePage>(m_profile.get());
        m_waker->load(QUrl(QStringLiteral("about:blank")));
    }
    m_profile->cookieStore()->deleteAllCookies();
}

void LoginProfile::Added(const QNetworkCookie& cookie) {
    if (!m_keep(cookie))
        return;
    m_kept.removeIf([&](const QNetworkCookie& kept) { return SameCookie(kept, cookie); });
    m_kept.append(cookie);
    m_network.AddCookies({cookie});
    SaveCopy();
}

void LoginProfile::Removed(const QNetworkCookie& cookie) {
    if (!m_keep(cookie))
        return;
    m_kept.removeIf([&](const QNetworkCookie& kept) { return SameCookie(kept, cookie); });
    m_network.RemoveCookies({cookie});
    SaveCopy();
}

// A copy that cannot be written only costs the next start its login.
void LoginProfile::SaveCopy() {
    if (m_kept.isEmpty())
        QFile::remove(CookiesCopy());
    else
        WriteCookiesFile(CookiesCopy(), m_kept);
}

} // namespace pellomar
