// SPDX-License-Identifier: GPL-3.0-or-later
// The browser profile the user logs in with. Unlike the reading browser's it is kept on
// disk, in the user's own data folder, so that a login outlives the run; its cookies of the
// services' sites are mirrored into the engine's jar as they come and go.
#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QWebEnginePage;
class QWebEngineProfile;

namespace pellomar {

class Network;

class LoginProfile : public QObject {
    Q_OBJECT
  public:
    // keep says which cookies reach the network's jar. Creates the storage folder.
    LoginProfile(Network& network, std::function<bool(const QNetworkCookie&)> keep,
                 QObject* parent = nullptr);
    ~LoginProfile() override;

    // AppDataLocation/browser: readable by the user alone.
    static QString StorageFolder();
    // Our copy of the cookies that went to the jar, in that folder.
    static QString CookiesCopy();

    QWebEngineProfile* profile() const { return m_profile.get(); }
    // Brings the login of earlier runs into the jar.
    void LoadCookies();
    // Deletes the profile's cookies, which then leave the jar too, and our copy.
    void LogOut();

  private:
    void Added(const QNetworkCookie& cookie);
    void Removed(const QNetworkCookie& cookie);
    void SaveCopy();

    Network& m_network;
    std::function<bool(const QNetworkCookie&)> m_keep;
    QList<QNetworkCookie> m_kept;
    std::unique_ptr<QWebEngineProfile> m_profile;
    // A blank page wakes the cookie store, which acts only once a page has used it.
    std::unique_ptr<QWebEnginePage> m_waker;
};

} // namespace pellomar
