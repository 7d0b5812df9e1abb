// SPDX-License-Identifier: GPL-3.0-or-later
// The one-time question to the publisher whether a newer version exists, and the version
// label that afterwards takes turns between "about", "feedback" and the answer. One step
// per Timer1 tick; the request is only polled, so nothing here ever waits.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

namespace pellomar {

class AppState;
class HttpClient;

inline constexpr int kVersion = 20110821;
inline const QString kVersionLabel = QStringLiteral("版本:20110821");
// The publisher's hosts: the update service and the web page the label's click opens.
inline const QString kUpdateHost = QStringLiteral("update.pellomar.example.org");
inline const QString kPublisherHost = QStringLiteral("www.pellomar.example.org");

class UpdateCheck : public QObject {
    Q_OBJECT
  public:
    static constexpr int kSendTick = 1;
    static constexpr int kGiveUpTick = 11;
    static constexpr int kCycleTicks = 9;

    explicit UpdateCheck(AppState& state, QObject* parent = nullptr);
    ~UpdateCheck() override;

    // Follows Timer1 from now on. Off until asked: the command line and the tests never
    // reach the publisher unless they turn it on.
    void Enable();
    // One tick: the check while it runs, the label cycle once it is done.
    void Step();

    int Tick() const { return m_tick; }
    bool Done() const { return m_done; }
    QString ResultText() const { return m_result; }
    QString Label() const { return m_label; }
    // Once "关于本程序" has had its turn, a click on the label opens the publisher's page.
    bool ClickOpensPublisherPage() const { return m_tick >= 3; }

    static QString UpdateAddress();
    static QString PublisherPage();
    static QString AboutText();
    // The result text for a response, or none when its last 8 characters are no number.
    static std::optional<QString> ReadAnswer(const QString& response);

  signals:
    void labelChanged(const QString& text);

  private:
    void SetLabel(const QString& text);
    void Finish(const QString& result);

    AppState& m_state;
    QPointer<HttpClient> m_request;
    quint8 m_tick = 0;
    bool m_done = false;
    bool m_enabled = false;
    QString m_result;
    QString m_label = kVersionLabel;
};

} // namespace pellomar
