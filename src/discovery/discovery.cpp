// SPDX-License-Identifier: GPL-3.0-or-later
#include "discovery/discovery.h"

#include "core/appstate.h"
#include "platform/eventloop.h"
#include "platform/httpclient.h"
#include "platform/textstream.h"
#include "services/listreader.h"
#include "services/readerrun.h"
#include "services/service.h"

#include <QUrl>
#include <optional>

#include <exception>

namespace pellomar {

namespace {

const QString kGet = QStringLiteral("GET");

// A failing reader ends the run as a finished one, with what was found so far.
Outcome EndWithFailure(AppState& state, const QString& reason) {
    const QString line = kDiscoveryFailed + reason;
    state.statusLog().Add(line);
    state.SetCaption(line);
    state.SetButtons(buttons::kDiscovered);
    Outcome outcome = Outcome::Failure(line);
    outcome.articles = state.table().ArticleCount();
    return outcome;
}

// A list page is asked this many times before it is named as unread.
constexpr int kListPageAttempts = 3;

struct ListPage {
    // Nothing when every attempt failed or the run was superseded meanwhile.
    std::optional<QByteArray> body;
    // The service showed its login wall: asking again will not help.
    bool loginWall = false;
};

// Asks for a list page until it answers with a page that is neither an error nor a wall;
// a wall that asks us to slow down pauses the service first.
QCoro::Task<ListPage> FetchListPage(AppState& state, HttpClient& client, const QString& address,
                                    const ReaderRun& run) {
    for (int attempt = 1; attempt <= kListPageAttempts; ++attempt) {
        client.Open(kGet, address, false);
        client.Send();
        co_await client.Completion();
        co_await YieldOnce{};
        if (run.Replaced())
            co_return ListPage{};
        // An answer of 4xx will not change by asking again.
        if (!IsSuccessStatus(client.Status())) {
            if (client.Status() >= 400 && client.Status() < 500)
                break;
            continue;
        }
        const QByteArray body = client.ResponseBody();
        const Service* service = FindService(state.serviceKind);
        const PageWall* wall =
            service ? FindWall(state.serviceKind, DecodeBytes(body, service->profile.Charset))
                    : nullptr;
        if (!wall)
            co_return ListPage{body};
        if (!wall->slowDown)
            co_return ListPage{std::nullopt, true};
        state.network().pacer().SlowDown(QUrl(address));
    }
    co_return ListPage{};
}

// A run that found no list page: the line says why, and the window is left with something
// to click (a new task, an import) rather than its searching state.
Outcome NothingFound(AppState& state, const QString& line) {
    state.statusLog().Add(line);
    state.SetCaption(line);
    state.SetButtons(buttons::kAtStartUp);
    return Outcome::Failure(line);
}

Outcome Superseded() {
    return Outcome::Failure(QStringLiteral("查找被新的任务取代"));
}

QString Reason(const std::exception& error) {
    return QString::fromLocal8Bit(error.what());
}

} // namespace

QCoro::Task<Outcome> Start(AppState& state, ServiceKind blg, QString bt, QString htp) {
    ++state.discoveryRun;
    const ReaderRun run(state);

    state.serviceKind = blg;
    state.taskName = bt;
    state.blogAddress = htp;
    state.table().Reset();
    state.statusLog().Clear();
    state.SetCaption(QStringLiteral("正在查找文章.."));
    state.SetButtons(buttons::kDiscovering);
    // The browser is loaded and started the first time a task reads through it.
    if (const Service* service = FindService(blg); service && service->needsBrowser) {
        co_await state.LoadBrowser();
        if (run.Replaced())
            co_return Superseded();
    }

    state.network().pacer().BeginRun();
    HttpClient client(state.network());
    const ListPage first = co_await FetchListPage(state, client, htp, run);
    if (run.Replaced())
        co_return Superseded();
    if (first.loginWall)
        co_return NothingFound(state, LoginProblem(state.network(), blg, htp));
    // No answer at all: the network, not the address, failed, for every service alike
    // (the browser's services would only wait for the list in vain).
    if (IsWebAddress(htp) && client.Status() == 0)
        co_return NothingFound(state, kNetworkFailed);

    const std::unique_ptr<ListReader> reader = MakeListReader(blg);
    if (reader) {
        try {
            reader->ReadFirstPage(state, first.body.value_or(QByteArray()));
        } catch (const std::exception& error) {
            co_return EndWithFailure(state, Reason(error));
        }
    }
    if (state.statusLog().Count() == 0)
        co_return NothingFound(state, kNoArticlesFound);

    state.seenLinks.clear();
    state.SetCaption(QStringLiteral("正在寻找文章...."));
    // Lines added from here on (refused rows, unread pages) are not pages to visit.
    const int pages = state.statusLog().Count();
    QStringList unread;
    bool loginWall = false;
    for (int i = 0; i < pages; ++i) {
        state.statusLog().Select(i);
        QByteArray body;
        if (reader->FetchesPages()) {
            state.SetCaption(QStringLiteral("查找文章：%1页/%2页").arg(i + 1).arg(pages));
            state.SetProgress({Progress::Discovery, i, pages});
            const QString address = state.statusLog().Line(i);
            ListPage page = co_await FetchListPage(state, client, address, run);
            if (run.Replaced())
                co_return Superseded();
            loginWall = loginWall || page.loginWall;
            if (!page.body) {
                // Its articles would be missing, or filed under the wrong category.
                const QString line = kListPageUnread + address;
                unread.append(line);
                state.statusLog().Add(line);
                continue;
            }
            body = std::move(*page.body);
        }
        try {
            co_await reader->ReadListPage(state, std::move(body));
        } catch (const NetworkFailure&) {
            if (run.Replaced())
                co_return Superseded();
            if (state.table().ArticleCount() == 0)
                co_return NothingFound(state, kNetworkFailed);
            co_return EndWithFailure(state, kNetworkFailed);
        } catch (const std::exception& error) {
            if (run.Replaced())
                co_return Superseded();
            co_return EndWithFailure(state, Reason(error));
        }
        if (run.Replaced())
            co_return Superseded();
    }

    if (reader->FetchesPages())
        state.SetProgress({Progress::Discovery, pages, pages});
    state.SetButtons(buttons::kDiscovered);
    Outcome outcome;
    outcome.articles = state.table().ArticleCount();
    outcome.ok = outcome.articles > 0 && unread.isEmpty();
    if (outcome.articles == 0)
        outcome.problem = kNoArticlesFound;
    else if (!unread.isEmpty())
        outcome.problem =
            QStringLiteral("有%1个列表页没能读取，找到的文章可能不全").arg(unread.size());
    if (loginWall)
        outcome.problem = LoginProblem(state.network(), blg, htp);
    if (const std::optional<QString> label = state.network().pacer().GivenUpLabel())
        outcome.problem = *label + kGaveUpWaiting + outcome.problem;
    state.SetCaption(outcome.ok || outcome.articles == 0
                         ? QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务")
                         : outcome.problem);
    // Lines after the queued pages: rows the table refused.
    outcome.notes = state.statusLog().Lines().mid(pages);
    co_return outcome;
}

} // namespace pellomar
