// SPDX-License-Identifier: GPL-3.0-or-later
// The plugin library's entry: the browser on QtWebEngine behind the engine's interface.
#pragma once

#include "platform/browserplugin.h"

#include <QObject>

namespace pellomar {

class WebBrowserPlugin : public QObject, public BrowserPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PELLOMAR_BROWSER_PLUGIN_IID)
    Q_INTERFACES(pellomar::BrowserPlugin)
  public:
    WebBrowserPlugin();

    std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) override;
    std::unique_ptr<BrowserView> MakeView() override;
    std::unique_ptr<BrowserLogin> MakeLogin(Network& network, CookieFilter keep) override;
};

} // namespace pellomar
