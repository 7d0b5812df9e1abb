// SPDX-License-Identifier: GPL-3.0-or-later
#include "discovery/discovery.h"

#include "core/appstate.h"
#include "platform/eventloop.h"
#include "platform/httpclient.h"
#include "services/listreader.h"

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

Outcome Superseded() {
    return Outcome::Failure(QStringLiteral("查找被新的任务取代"));
}

QString Reason(const std::exception& error) {
    return QString::fromLocal8Bit(error.what());
}

} // namespace

QCoro::Task<Outcome> Start(AppState& state, ServiceKind blg, QString bt, QString htp) {
    const quint64 run = ++state.discoveryRun;
    const auto superseded = [&state, run] { return state.discoveryRun != run; };

    state.serviceKind = blg;
    state.taskName = bt;
    state.blogAddress = htp;
    state.table().Reset();
    state.statusLog().Clear();
    state.SetCaption(QStringLiteral("正在查找文章.."));
    state.SetButtons(buttons::kDiscovering);

    HttpClient client(state.network());
    client.Open(kGet, htp, true);
    client.Send();
    while (client.ReadyState() != HttpClient::Complete) {
        co_await EventPulse::Instance().Next();
        if (superseded())
            co_return Superseded();
    }

    const std::unique_ptr<ListReader> reader = MakeListReader(blg);
    if (reader) {
        try {
            reader->ReadFirstPage(state, client.ResponseBody());
        } catch (const std::exception& error) {
            co_return EndWithFailure(state, Reason(error));
        }
    }
    if (state.statusLog().Count() == 0) {
        const bool networkFailed = IsWebAddress(htp) && client.Status() == 0;
        const QString line = networkFailed ? kNetworkFailed : kNoArticlesFound;
        state.statusLog().Add(line);
        co_return Outcome::Failure(line);
    }

    state.seenLinks.clear();
    state.SetCaption(QStringLiteral("正在寻找文章...."));
    // Lines added from here on (refused rows) are not pages to visit.
    const int pages = state.statusLog().Count();
    for (int i = 0; i < pages; ++i) {
        state.statusLog().Select(i);
        QByteArray body;
        if (reader->FetchesPages()) {
            state.SetCaption(QStringLiteral("查找文章：%1页/%2页").arg(i + 1).arg(pages));
            client.Open(kGet, state.statusLog().Line(i), false);
            client.Send();
            co_await client.Completion();
            co_await YieldOnce{};
            if (superseded())
                co_return Superseded();
            body = client.ResponseBody();
        }
        try {
            co_await reader->ReadListPage(state, std::move(body));
        } catch (const std::exception& error) {
            if (superseded())
                co_return Superseded();
            co_return EndWithFailure(state, Reason(error));
        }
        if (superseded())
            co_return Superseded();
    }

    state.SetCaption(QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务"));
    state.SetButtons(buttons::kDiscovered);
    Outcome outcome;
    outcome.articles = state.table().ArticleCount();
    outcome.ok = outcome.articles > 0;
    if (!outcome.ok)
        outcome.problem = kNoArticlesFound;
    // Lines after the queued pages: rows the table refused.
    outcome.notes = state.statusLog().Lines().mid(pages);
    co_return outcome;
}

} // namespace pellomar
