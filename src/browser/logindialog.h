// SPDX-License-Identifier: GPL-3.0-or-later
// The window's login: a service's login page in a visible browser on the login profile,
// where the user signs in as on any web page.
#pragma once

#include <QDialog>

class QWebEngineView;

namespace pellomar {

class LoginProfile;

class LoginDialog : public QDialog {
    Q_OBJECT
  public:
    LoginDialog(LoginProfile& profile, const QString& address, QWidget* parent = nullptr);
    ~LoginDialog() override;

    // Shows parent's login dialog, making one at address when it has none open.
    static LoginDialog* Open(LoginProfile& profile, const QString& address, QWidget* parent);

    QWebEngineView* view() const { return m_view; }

  private:
    QWebEngineView* m_view = nullptr;
};

} // namespace pellomar
