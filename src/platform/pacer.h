// SPDX-License-Identifier: GPL-3.0-or-later
// Every request of the process waits its turn here, so that a service that throttles fast
// clients is asked at a pace it accepts. A service's requests are one group: some of its
// addresses may be limited to a number per window, and when the service says "slow down"
// the whole group pauses (longer each time) and then goes on at a lower pace. Hosts no
// rule names form a group each, limited only once they object.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace pellomar {

struct PaceRule {
    // The service's name in what the user is told ("新浪").
    QString label;
    // Its hosts; each also stands for its subdomains.
    QStringList hosts;
    // Path prefixes whose requests count against the limit; empty: every path.
    QStringList pacedPaths;
    // Requests per window to the paced paths; 0: none until the service objects.
    int perWindow = 0;
};

class Pacer : public QObject {
    Q_OBJECT
  public:
    struct Timing {
        int windowMs = 60'000;
        // The first pause; each further one doubles, up to the longest.
        int firstPauseMs = 30'000;
        int longestPauseMs = 600'000;
        // A group paused this long in all within one run is given up.
        qint64 giveUpAfterMs = 1'800'000;
    };
    struct Pause {
        QString label;
        int secondsLeft = 0;
    };
    // The lowest pace a slowed group is put to, per window.
    static constexpr int kSlowestPerWindow = 4;

    explicit Pacer(QObject* parent = nullptr);
    ~Pacer() override;

    void AddRule(const PaceRule& rule);
    // Replaces the limit of every rule that names paced paths (0 lifts them): the user's
    // own pace.
    void SetLimit(int perWindow);
    void SetTiming(const Timing& timing);
    const Timing& timing() const { return m_timing; }

    // Calls go() when a request for url may be sent: at once (before returning 0) when
    // nothing holds it back, else later from the event loop. A waiting request is
    // forgotten by Cancel(ticket).
    quint64 Admit(const QUrl& url, std::function<void()> go);
    void Cancel(quint64 ticket);

    // The service answered "slow down": its group pauses and then goes slower. Several
    // answers during one pause count once.
    void SlowDown(const QUrl& url);
    // The group of url was paused too long in all this run: its requests fail at once.
    bool GivenUp(const QUrl& url) const;
    // The label of a group given up this run, if any.
    std::optional<QString> GivenUpLabel() const;
    // A new run: pauses so far (and their growing length) and given-up groups are
    // forgotten; slower paces stay.
    void BeginRun();

    // The pause that ends last among the groups pausing now.
    std::optional<Pause> CurrentPause() const;
    // Requests sent to url's group within the last window.
    int RecentSends(const QUrl& url) const;
    // Pauses begun since the pacer was made.
    int PauseCount() const { return m_pauseCount; }

  signals:
    // A pause began or ended.
    void pauseChanged();
    void gaveUp(const QString& label);

  private:
    struct Waiter {
        quint64 ticket = 0;
        QUrl url;
        std::function<void()> go;
    };
    struct Group {
        QString label;
        QStringList pacedPaths;
        // For the paced paths, from the rule or the user.
        int pathLimit = 0;
        // For every request, once the service asked us to slow down.
        int slowLimit = 0;
        std::deque<qint64> sends;
        std::deque<Waiter> waiting;
        qint64 pausedUntil = 0;
        qint64 resumedAt = 0;
        qint64 nextPauseMs = 0;
        qint64 pausedInRun = 0;
        bool givenUp = false;
        QTimer wake;
    };

    Group& GroupOf(const QUrl& url);
    const Group* FindGroup(const QUrl& url) const;
    int LimitFor(const Group& group, const QUrl& url) const;
    // Sends what may go now and sets the timer for the rest.
    void Pump(Group& group);
    void Forget(Group& group, qint64 now) const;
    qint64 Now() const;

    Timing m_timing;
    QList<PaceRule> m_rules;
    // By rule index ("#0") or by host.
    QHash<QString, std::shared_ptr<Group>> m_groups;
    quint64 m_nextTicket = 0;
    int m_pauseCount = 0;
};

} // namespace pellomar
