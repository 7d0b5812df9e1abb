// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/webbrowserplugin.h"

#include "browser/browserenvironment.h"
#include "browser/loginprofile.h"
#include "browser/webbrowserview.h"

#ifdef PELLOMAR_HAS_WIDGETS
#include "browser/logindialog.h"
#endif

#include <QGuiApplication>

namespace pellomar {

namespace {

#ifdef PELLOMAR_HAS_WIDGETS
class WebLogin : public BrowserLogin {
  public:
    WebLogin(Network& network, CookieFilter keep) : m_profile(network, std::move(keep)) {
        // Its own list of what the jar got, so that later changes keep the copy whole.
        m_profile.LoadCookies();
    }
    void Open(const QString& address, QWidget* parent) override {
        LoginDialog::Open(m_profile, address, parent);
    }
    void LogOut() override { m_profile.LogOut(); }

  private:
    LoginProfile m_profile;
};
#endif

} // namespace

WebBrowserPlugin::WebBrowserPlugin() {
    PrepareBrowserEnvironment();
}

std::unique_ptr<QCoreApplication> WebBrowserPlugin::MakeApplication(int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

std::unique_ptr<BrowserView> WebBrowserPlugin::MakeView() {
    return std::make_unique<WebBrowserView>();
}

std::unique_ptr<BrowserLogin> WebBrowserPlugin::MakeLogin(Network& network, CookieFilter keep) {
#ifdef PELLOMAR_HAS_WIDGETS
    return std::make_unique<WebLogin>(network, std::move(keep));
#else
    Q_UNUSED(network);
    Q_UNUSED(keep);
    return nullptr;
#endif
}

} // namespace pellomar
