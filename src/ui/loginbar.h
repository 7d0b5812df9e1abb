// SPDX-License-Identifier: GPL-3.0-or-later
// The window's login controls: whether the engine holds a Sina login, 登录 and 退出登录.
// The login page itself needs the embedded browser, which the program plugs in.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace pellomar {

class Network;

// What the login needs of the embedded browser.
struct LoginHooks {
    // Shows the login page over the window.
    std::function<void(QWidget* parent)> open;
    // Forgets the browser's own cookies.
    std::function<void()> forget;
};

class LoginBar : public QWidget {
    Q_OBJECT
  public:
    explicit LoginBar(Network& network, QWidget* parent = nullptr);

    // Without them (a build without the browser) 登录 stays disabled.
    void SetHooks(LoginHooks hooks);

  private:
    void Update();
    void LogOut();

    Network& m_network;
    LoginHooks m_hooks;
    QLabel* m_state = nullptr;
    QPushButton* m_login = nullptr;
    QPushButton* m_logout = nullptr;
};

} // namespace pellomar
