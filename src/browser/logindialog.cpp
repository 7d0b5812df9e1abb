// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/logindialog.h"

#include "browser/loginprofile.h"

#include <QDialogButtonBox>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace pellomar {

namespace {

constexpr char kObjectName[] = "loginDialog";

// What the login page's scripts log may hold its tokens: none of it reaches our output.
class QuietPage : public QWebEnginePage {
  public:
    using QWebEnginePage::QWebEnginePage;

  protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
};

} // namespace

LoginDialog::LoginDialog(LoginProfile& profile, const QString& address, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QLatin1StringView(kObjectName));
    setWindowTitle(QStringLiteral("登录"));
    // The page lives as long as the dialog; the login stays in the profile.
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new QWebEngineView(this);
    m_view->setPage(new QuietPage(profile.profile(), m_view));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
    resize(960, 720);
    m_view->load(QUrl(address));
}

LoginDialog::~LoginDialog() = default;

LoginDialog* LoginDialog::Open(LoginProfile& profile, const QString& address, QWidget* parent) {
    auto* dialog =
        parent->findChild<LoginDialog*>(QLatin1StringView(kObjectName), Qt::FindDirectChildrenOnly);
    if (!dialog)
        dialog = new LoginDialog(profile, address, parent);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

} // namespace pellomar
