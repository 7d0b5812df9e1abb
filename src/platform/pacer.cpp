// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pacer.h"

#include <QDeadlineTimer>
#include <algorithm>

namespace pellomar {

namespace {

bool HostIn(const QString& host, const QStringList& hosts) {
    for (const QString& h : hosts)
        if (host == h || host.endsWith(u'.' + h))
            return true;
    return false;
}

} // namespace

Pacer::Pacer(QObject* parent) : QObject(parent) {}

Pacer::~Pacer() = default;

void Pacer::AddRule(const PaceRule& rule) {
    m_rules.append(rule);
}

void Pacer::SetLimit(int perWindow) {
    for (PaceRule& rule : m_rules)
        if (!rule.pacedPaths.isEmpty())
            rule.perWindow = perWindow;
    for (const auto& group : std::as_const(m_groups))
        if (!group->pacedPaths.isEmpty())
            group->pathLimit = perWindow;
}

void Pacer::SetTiming(const Timing& timing) {
    m_timing = timing;
}

qint64 Pacer::Now() const {
    // Monotonic: a clock set back must not hold requests for hours.
    return QDeadlineTimer::current().deadline();
}

const Pacer::Group* Pacer::FindGroup(const QUrl& url) const {
    const QString host = url.host().toLower();
    for (qsizetype i = 0; i < m_rules.size(); ++i)
        if (HostIn(host, m_rules[i].hosts))
            return m_groups.value(u'#' + QString::number(i)).get();
    return m_groups.value(host).get();
}

Pacer::Group& Pacer::GroupOf(const QUrl& url) {
    const QString host = url.host().toLower();
    QString key = host;
    const PaceRule* rule = nullptr;
    for (qsizetype i = 0; i < m_rules.size() && !rule; ++i) {
        if (HostIn(host, m_rules[i].hosts)) {
            rule = &m_rules[i];
            key = u'#' + QString::number(i);
        }
    }
    std::shared_ptr<Group>& group = m_groups[key];
    if (!group) {
        group = std::make_shared<Group>();
        group->label = rule ? rule->label : host;
        group->pacedPaths = rule ? rule->pacedPaths : QStringList();
        group->pathLimit = rule ? rule->perWindow : 0;
        group->wake.setSingleShot(true);
        Group* raw = group.get();
        connect(&group->wake, &QTimer::timeout, this, [this, raw] { Pump(*raw); });
    }
    return *group;
}

int Pacer::LimitFor(const Group& group, const QUrl& url) const {
    const QString path = url.path();
    const bool pacedPath = group.pathLimit > 0 &&
                           (group.pacedPaths.isEmpty() ||
                            std::any_of(group.pacedPaths.begin(), group.pacedPaths.end(),
                                        [&path](const QString& p) { return path.startsWith(p); }));
    if (pacedPath && group.slowLimit > 0)
        return std::min(group.pathLimit, group.slowLimit);
    return pacedPath ? group.pathLimit : group.slowLimit;
}

void Pacer::Forget(Group& group, qint64 now) const {
    while (!group.sends.empty() && group.sends.front() <= now - m_timing.windowMs)
        group.sends.pop_front();
}

quint64 Pacer::Admit(const QUrl& url, std::function<void()> go) {
    Group& group = GroupOf(url);
    const quint64 ticket = ++m_nextTicket;
    group.waiting.push_back(Waiter{ticket, url, std::move(go)});
    Pump(group);
    const bool stillWaiting =
        std::any_of(group.waiting.begin(), group.waiting.end(),
                    [ticket](const Waiter& waiter) { return waiter.ticket == ticket; });
    return stillWaiting ? ticket : 0;
}

void Pacer::Cancel(quint64 ticket) {
    if (ticket == 0)
        return;
    for (const auto& group : std::as_const(m_groups)) {
        auto& waiting = group->waiting;
        const auto it = std::find_if(waiting.begin(), waiting.end(),
                                     [ticket](const Waiter& w) { return w.ticket == ticket; });
        if (it != waiting.end()) {
            waiting.erase(it);
            return;
        }
    }
}

void Pacer::Pump(Group& group) {
    const qint64 now = Now();
    if (group.pausedUntil > 0) {
        if (now < group.pausedUntil && !group.givenUp) {
            group.wake.start(int(std::max<qint64>(1, group.pausedUntil - now)));
            return;
        }
        group.pausedUntil = 0;
        group.resumedAt = now;
        emit pauseChanged();
    }
    Forget(group, now);
    // Requests that need no turn pass one that waits for its turn.
    std::deque<Waiter> ready;
    qint64 nextTurn = 0;
    for (auto it = group.waiting.begin(); it != group.waiting.end();) {
        // Worked out now: a slow-down since it was admitted counts.
        const int limit = LimitFor(group, it->url);
        const bool turnFree = group.givenUp || limit <= 0 || qsizetype(group.sends.size()) < limit;
        if (!turnFree) {
            nextTurn = group.sends.front() + m_timing.windowMs;
            ++it;
            continue;
        }
        group.sends.push_back(now);
        ready.push_back(std::move(*it));
        it = group.waiting.erase(it);
    }
    if (nextTurn > 0)
        group.wake.start(int(std::max<qint64>(1, nextTurn - now)));
    // Last: a go() may admit or cancel requests of this group.
    for (Waiter& waiter : ready)
        waiter.go();
}

void Pacer::SlowDown(const QUrl& url) {
    Group& group = GroupOf(url);
    const qint64 now = Now();
    if (group.givenUp || (group.pausedUntil > 0 && now < group.pausedUntil))
        return;
    Forget(group, now);
    // Soon after a pause the service may still be counting what we sent before it: the
    // pace set then is not yet proven too fast.
    if (group.slowLimit == 0 || now - group.resumedAt > m_timing.windowMs) {
        const int recent = int(group.sends.size());
        const int before = group.slowLimit > 0 ? std::min(group.slowLimit, recent) : recent;
        group.slowLimit = std::max(kSlowestPerWindow, before / 2);
    }
    const qint64 pause = group.nextPauseMs > 0 ? group.nextPauseMs : m_timing.firstPauseMs;
    group.nextPauseMs = std::min<qint64>(pause * 2, m_timing.longestPauseMs);
    ++m_pauseCount;
    if (group.pausedInRun + pause > m_timing.giveUpAfterMs) {
        group.givenUp = true;
        emit gaveUp(group.label);
        Pump(group);
        return;
    }
    group.pausedInRun += pause;
    group.pausedUntil = now + pause;
    // The requests still waiting were counted as the pace allowed; after the pause the
    // window starts afresh at the lower pace.
    group.sends.clear();
    group.wake.start(int(pause));
    emit pauseChanged();
}

bool Pacer::GivenUp(const QUrl& url) const {
    const Group* group = FindGroup(url);
    return group && group->givenUp;
}

std::optional<QString> Pacer::GivenUpLabel() const {
    for (const auto& group : std::as_const(m_groups))
        if (group->givenUp)
            return group->label;
    return std::nullopt;
}

void Pacer::BeginRun() {
    for (const auto& group : std::as_const(m_groups)) {
        group->givenUp = false;
        group->pausedInRun = 0;
        group->nextPauseMs = 0;
    }
}

std::optional<Pacer::Pause> Pacer::CurrentPause() const {
    const qint64 now = Now();
    std::optional<Pause> longest;
    qint64 latest = 0;
    for (const auto& group : std::as_const(m_groups)) {
        if (group->pausedUntil <= now || group->givenUp || group->pausedUntil <= latest)
            continue;
        latest = group->pausedUntil;
        longest = Pause{group->label, int((group->pausedUntil - now + 999) / 1000)};
    }
    return longest;
}

int Pacer::RecentSends(const QUrl& url) const {
    const Group* group = FindGroup(url);
    if (!group)
        return 0;
    const qint64 now = Now();
    return int(std::count_if(group->sends.begin(), group->sends.end(),
                             [&](qint64 t) { return t > now - m_timing.windowMs; }));
}

} // namespace pellomar
