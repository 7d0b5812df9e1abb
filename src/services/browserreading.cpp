// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/browserreading.h"

#include "core/appstate.h"
#include "platform/browserview.h"
#include "platform/eventloop.h"
#include "services/listreader.h"
#include "services/service.h"

#include <QDeadlineTimer>
#include <QSet>
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

// Sleeps until the next event; stops a replaced run and a page that got no answer.
QCoro::Task<> NextEvent(const ReaderRun& run, const BrowserView& browser) {
    co_await EventPulse::Instance().Next();
    run.StopIfReplaced();
    if (browser.NoAnswer())
        throw NetworkFailure();
}

// Takes the tick if one came since the last.
bool TakeTick(AppState& state) {
    const bool tick = state.timerTick;
    state.timerTick = false;
    return tick;
}

// On each tick, after `yields` turns of the event loop, reads the page until its list
// shows, whether or not the browser is still loading the rest of the page.
QCoro::Task<QString> PollListReady(const ReaderRun& run, BrowserView& browser, int yields) {
    AppState& state = run.state();
    const WaitLimit limit(state, kPageReadyLimitTicks);
    for (;;) {
        co_await NextEvent(run, browser);
        if (TakeTick(state)) {
            for (int i = 0; i < yields; ++i)
                co_await run.Turn();
            QString markup = co_await browser.BodyOuterHtml();
            run.StopIfReplaced();
            if (IsListReady(state, markup))
                co_return markup;
        }
        if (limit.Passed())
            throw BrowserWaitFailed(
                QStringLiteral("列表页%1秒内没有显示出文章").arg(limit.Seconds()));
    }
}

// After a click that loads a new document: until the load ends or the new document
// shows, whichever comes first (its pictures may take long).
QCoro::Task<> WaitNewDocument(const ReaderRun& run, BrowserView& browser, int page) {
    AppState& state = run.state();
    const WaitLimit limit(state, kPageLoadLimitTicks);
    while (!state.browserLoaded) {
        if (limit.Passed())
            throw BrowserWaitFailed(QStringLiteral("翻到第%1页的链接%2秒内没有打开新页面")
                                        .arg(page)
                                        .arg(limit.Seconds()));
        co_await NextEvent(run, browser);
        if (TakeTick(state)) {
            const bool shows = !(co_await browser.BodyOuterHtml()).isEmpty();
            run.StopIfReplaced();
            if (shows)
                co_return;
        }
    }
    if (browser.NoAnswer())
        throw NetworkFailure();
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

QCoro::Task<QString> WaitPageReady(const ReaderRun& run) {
    BrowserView& browser = RequireBrowser(run.state());
    co_return co_await PollListReady(run, browser, 2);
}

QCoro::Task<> WaitTicks(const ReaderRun& run, quint8 n) {
    while (n > 1) {
        co_await EventPulse::Instance().Next();
        run.StopIfReplaced();
        if (TakeTick(run.state()))
            --n;
    }
}

QCoro::Task<bool> ClickPageLink(const ReaderRun& run, int page, PageLinkRule rule) {
    AppState& state = run.state();
    BrowserView& browser = RequireBrowser(state);
    co_await PollListReady(run, browser, 1);

    const auto matches = [rule, page](const BrowserElement& element) {
        return rule.matches(element, page);
    };
    if (!rule.loadsDocument) {
        const bool clicked = co_await browser.ClickFirst(rule.tagName, matches);
        run.StopIfReplaced();
        if (clicked)
            co_await WaitTicks(run, 2);
        co_return clicked;
    }
    state.browserLoaded = false;
    const bool clicked = co_await browser.ClickFirst(rule.tagName, matches);
    run.StopIfReplaced();
    if (!clicked)
        co_return false;
    browser.LeaveDocument();
    co_await WaitNewDocument(run, browser, page);
    co_return true;
}

int AddNewRows(AppState& state, QSet<QString>& seen, const QList<ListRow>& rows) {
    int added = 0;
    for (const ListRow& row : rows) {
        if (seen.contains(row.source))
            continue;
        seen.insert(row.source);
        AddFoundArticle(state, row.title, row.category, row.link, row.date);
        ++added;
    }
    return added;
}

} // namespace pellomar
