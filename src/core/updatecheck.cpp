// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/updatecheck.h"

#include "core/appstate.h"
#include "platform/httpclient.h"

#include <QStringList>

namespace pellomar {

UpdateCheck::UpdateCheck(AppState& state, QObject* parent) : QObject(parent), m_state(state) {}

UpdateCheck::~UpdateCheck() = default;

void UpdateCheck::Enable() {
    if (m_enabled)
        return;
    m_enabled = true;
    connect(&m_state, &AppState::timer1Step, this, &UpdateCheck::Step);
}

QString UpdateCheck::UpdateAddress() {
    return u"http://" + kUpdateHost + u"/blog/update.asp?ver=" + QString::number(kVersion);
}

QString UpdateCheck::PublisherPage() {
    return u"http://" + kPublisherHost + u"/company.html";
}

QString UpdateCheck::AboutText() {
    return QStringList{QStringLiteral("Pellomar"),
                       QStringLiteral("制作：kavro"),
                       QStringLiteral("联系：feedback@pellomar.example.org"),
                       u"http://" + kPublisherHost,
                       QStringLiteral("如发现下载不了的博客"),
                       QStringLiteral("或者使用中有任何问题请反馈，谢谢！")}
        .join(u'\n');
}

std::optional<QString> UpdateCheck::ReadAnswer(const QString& response) {
    // Only the last 8 characters count; trailing blanks or line ends make it no number.
    if (response.size() < 8)
        return std::nullopt;
    const QString newest = response.right(8);
    for (const QChar c : newest)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    if (newest.toInt() > kVersion)
        return u"发现新版本:" + newest + u",点此更新";
    return QStringLiteral("已是最新版本！");
}

void UpdateCheck::Step() {
    const int t = ++m_tick;
    if (m_done) {
        if (t >= kCycleTicks)
            m_tick = 0;
        if (m_tick <= 2)
            SetLabel(QStringLiteral("关于本程序"));
        else if (m_tick < 6)
            SetLabel(QStringLiteral("快速反馈问题"));
        else
            SetLabel(m_result);
        return;
    }
    if (t == kSendTick) {
        m_request = new HttpClient(m_state.network(), this);
        m_request->Open(QStringLiteral("POST"), UpdateAddress(), true);
        m_request->Send();
    } else if (t < kGiveUpTick) {
        if (m_request && m_request->ReadyState() == HttpClient::Complete) {
            // No server, an error page or an empty body: as if nothing had come.
            const std::optional<QString> answer = ReadAnswer(m_request->responsetext());
            Finish(answer.value_or(QStringLiteral("点此查看最新版本")));
        }
    } else {
        Finish(QStringLiteral("点此查看最新版本"));
    }
}

void UpdateCheck::Finish(const QString& result) {
    m_done = true;
    m_result = result;
    if (m_request) {
        m_request->abort();
        m_request->deleteLater();
    }
    m_request = nullptr;
}

void UpdateCheck::SetLabel(const QString& text) {
    if (text == m_label)
        return;
    m_label = text;
    emit labelChanged(text);
}

} // namespace pellomar
