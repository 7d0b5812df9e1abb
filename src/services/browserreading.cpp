// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/browserreading.h"

#include "core/appstate.h"
#include "platform/browserview.h"
#include "platform/eventloop.h"
#include "services/service.h"

#include <QDeadlineTimer>
#include <QTimer>

namespace pellomar {

namespace {

// A wall-clock limit of a number of ticks. It wakes the waits itself when it passes, so
// that it is kept even when nothing else happens.
class WaitLimit {
  public:
    WaitLimit(AppState& state, int ticks)
        : m_ms(ticks * state.timer2().interval()), m_deadline(m_ms) {
        m_wake.setSingleShot(true);
        QObject::connect(&m_wake, &QTimer::timeout, &m_wake, [] { EventPulse::Instance().Fire(); });
        m_wake.start(m_ms);
    }

    bool Passed() const { return m_deadline.hasExpired(); }
    QString Seconds() const { return QString::number(m_ms / 1000.0); }

  private:
    int m_ms;
    QDeadlineTimer m_deadline;
    QTimer m_wake;
};

// A newer discovery run has taken the browser over: this one stops (Start sees why).
void StopIfSuperseded(const AppState& state, quint64 run) {
    if (state.discoveryRun != run)
        throw BrowserWaitFailed(QStringLiteral("查找被新的任务取代"));
}

[[noreturn]] void NotReady(const WaitLimit& limit) {
    throw BrowserWaitFailed(QStringLiteral("列表页%1秒内没有显示出文章").arg(limit.Seconds()));
}

// On each tick, after `yields` turns of the event loop, reads the idle browser's page until
// its list shows.
QCoro::Task<QString> PollListReady(AppState& state, BrowserView& browser, quint64 run, int yields) {
    const WaitLimit limit(state, kPageReadyLimitTicks);
    for (;;) {
        co_await EventPulse::Instance().Next();
        StopIfSuperseded(state, run);
        if (state.timerTick) {
            state.timerTick = false;
            for (int i = 0; i < yields; ++i)
                co_await YieldOnce{};
            if (!browser.Busy()) {
                QString markup = co_await browser.BodyOuterHtml();
                StopIfSuperseded(state, run);
                if (IsListReady(state, markup))
                    co_return markup;
            }
        }
        if (limit.Passed())
            NotReady(limit);
    }
}

} // namespace

BrowserWaitFailed::BrowserWaitFailed(const QString& reason)
    : std::runtime_error(reason.toStdString()) {}

BrowserView& RequireBrowser(AppState& state) {
    BrowserView* browser = state.browser();
    if (!browser)
        throw BrowserWaitFailed(state.BrowserProblem());
    return *browser;
}

bool IsListReady(const AppState& state, const QString& markup) {
    const SiteProfile* profile = Profile(state.serviceKind);
    if (!profile || !profile->ListReadyMarker || !profile->ListBusyMarker)
        return false;
    return markup.indexOf(*profile->ListReadyMarker) > 0 &&
           !markup.contains(*profile->ListBusyMarker);
}

QCoro::Task<QString> WaitPageReady(AppState& state) {
    BrowserView& browser = RequireBrowser(state);
    co_return co_await PollListReady(state, browser, state.discoveryRun, 2);
}

QCoro::Task<> WaitTicks(AppState& state, quint8 n) {
    while (n > 1) {
        co_await EventPulse::Instance().Next();
        if (state.timerTick) {
            state.timerTick = false;
            --n;
        }
    }
}

QCoro::Task<> ClickPageLink(AppState& state, int page, PageLinkRule rule) {
    BrowserView& browser = RequireBrowser(state);
    const quint64 run = state.discoveryRun;
    co_await PollListReady(state, browser, run, 1);

    const auto matches = [rule, page](const BrowserElement& element) {
        return rule.matches(element, page);
    };
    if (!rule.loadsDocument) {
        if (co_await browser.ClickFirst(rule.tagName, matches))
            co_await WaitTicks(state, 2);
        co_return;
    }
    state.browserLoaded = false;
    if (!co_await browser.ClickFirst(rule.tagName, matches))
        co_return;
    const WaitLimit loadLimit(state, kPageLoadLimitTicks);
    while (!state.browserLoaded) {
        if (loadLimit.Passed())
            throw BrowserWaitFailed(QStringLiteral("翻到第%1页的链接%2秒内没有打开新页面")
                                        .arg(page)
                                        .arg(loadLimit.Seconds()));
        co_await EventPulse::Instance().Next();
        StopIfSuperseded(state, run);
    }
}

} // namespace pellomar
