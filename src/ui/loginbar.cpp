// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/loginbar.h"

#include "platform/network.h"
#include "services/service.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace pellomar {

LoginBar::LoginBar(Network& network, QWidget* parent) : QWidget(parent), m_network(network) {
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("loginState"));
    // The buttons stay in place whichever state it shows.
    m_state->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_state->setMinimumWidth(
        m_state->fontMetrics().horizontalAdvance(QStringLiteral("已登录新浪")));
    m_login = new QPushButton(QStringLiteral("登录"), this);
    m_login->setObjectName(QStringLiteral("loginButton"));
    m_login->setToolTip(QStringLiteral("这个版本没有内置浏览器，不能在窗口里登录；"
                                       "命令行可以用 --cookies 文件登录"));
    m_logout = new QPushButton(QStringLiteral("退出登录"), this);
    m_logout->setObjectName(QStringLiteral("logoutButton"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_state);
    row->addWidget(m_login);
    row->addWidget(m_logout);

    connect(m_login, &QPushButton::clicked, this, [this] { m_hooks.open(window()); });
    connect(m_logout, &QPushButton::clicked, this, &LoginBar::LogOut);
    connect(&m_network, &Network::loginChanged, this, &LoginBar::Update);
    Update();
}

void LoginBar::SetHooks(LoginHooks hooks) {
    m_hooks = std::move(hooks);
    m_login->setToolTip(QString());
    Update();
}

void LoginBar::Update() {
    const bool loggedIn =
        HasLogin(m_network, kSina, u"https://" + QLatin1StringView(hosts::kSinaBlog) + u'/');
    m_state->setText(loggedIn ? QStringLiteral("已登录新浪") : QStringLiteral("未登录"));
    m_login->setEnabled(bool(m_hooks.open));
    m_logout->setEnabled(loggedIn);
}

void LoginBar::LogOut() {
    m_network.ClearCookies();
    if (m_hooks.forget)
        m_hooks.forget();
}

} // namespace pellomar
