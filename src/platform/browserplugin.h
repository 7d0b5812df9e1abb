// SPDX-License-Identifier: GPL-3.0-or-later
// The embedded browser lives in a plugin library of its own, the only code that maps
// QtWebEngine: the programs load it the first time a Sohu or NetEase task (or the window's
// login) needs it, so that no other run pays for Chromium.
#pragma once

#include <QString>
#include <QtPlugin>
#include <functional>
#include <memory>

class QCoreApplication;
class QNetworkCookie;
class QWidget;

namespace pellomar {

class BrowserView;
class Network;

using CookieFilter = std::function<bool(const QNetworkCookie&)>;

// The window's login through the browser, on a profile kept between runs.
class BrowserLogin {
  public:
    virtual ~BrowserLogin() = default;
    // Shows the login page at address over parent.
    virtual void Open(const QString& address, QWidget* parent) = 0;
    // Deletes the profile's cookies.
    virtual void LogOut() = 0;
};

class BrowserPlugin {
  public:
    virtual ~BrowserPlugin() = default;
    // The application object for a program that has none yet and only reads through the
    // browser, never showing it: the offscreen platform serves it whatever display there is.
    virtual std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) = 0;
    // A browser to read pages through, never shown.
    virtual std::unique_ptr<BrowserView> MakeView() = 0;
    // The login, whose cookies that keep accepts follow into network's jar as they come and
    // go; none when the plugin was built without widgets.
    virtual std::unique_ptr<BrowserLogin> MakeLogin(Network& network, CookieFilter keep) = 0;
};

// The plugin's file: the one PELLOMAR_BROWSER_PLUGIN names, else the one beside the program
// (a build) or in the installed plugin folder; empty when there is none.
QString BrowserPluginPath();

// Loads the plugin, once per process; null, with the reason in problem, when it cannot.
BrowserPlugin* LoadBrowserPlugin(QString* problem = nullptr);

} // namespace pellomar

#define PELLOMAR_BROWSER_PLUGIN_IID "org.pellomar.BrowserPlugin/1"
Q_DECLARE_INTERFACE(pellomar::BrowserPlugin, PELLOMAR_BROWSER_PLUGIN_IID)
