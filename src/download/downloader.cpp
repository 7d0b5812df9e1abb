// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/downloader.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "download/articlepage.h"
#include "download/downloadlog.h"
#include "download/downloadsteps.h"
#include "download/indexpages.h"
#include "download/picturequeue.h"
#include "download/pictures.h"
#include "platform/eventloop.h"
#include "platform/httpclient.h"
#include "platform/textstream.h"
#include "services/service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <memory>
#include <optional>

namespace pellomar {

namespace {

constexpr int kMinArticles = 5;
constexpr int kStallSeconds = 5;

// The five article requests of one run.
struct ArticleSlots {
    std::array<std::unique_ptr<HttpClient>, AppState::kSlots> clients;
    std::array<int, AppState::kSlots> rows{};
    std::array<bool, AppState::kSlots> finished{};

    int FinishedCount() const { return int(std::count(finished.begin(), finished.end(), true)); }
};

void Request(AppState& state, HttpClient& client, int row) {
    client.Open(QStringLiteral("GET"), ArticleAddress(state, row), true);
    state.table().SetMark(row, kMarkRequested);
}

QString PageText(const HttpClient& client, ServiceKind kind) {
    const SiteProfile* profile = Profile(kind);
    return DecodeBytes(client.ResponseBody(), profile ? profile->Charset : QStringLiteral("UTF-8"));
}

void ResetRun(AppState& state) {
    state.slotAge.fill(0);
    state.statusLog().Clear();
    if (state.pictureQueue)
        state.pictureQueue->Reset();
    QFile::remove(state.programFolder() + u'/' + kDownloadLogName);
    ArticleTable& table = state.table();
    for (int row = 1; row <= table.ArticleCount(); ++row)
        table.SetMark(row, QString());
}

// The articles marked done and the pictures the queue has finished with.
Outcome Counted(AppState& state, Outcome outcome) {
    const ArticleTable& table = state.table();
    outcome.articles = table.ArticleCount();
    outcome.articlesSaved = 0;
    for (int row = 1; row <= table.ArticleCount(); ++row)
        if (table.Cell(row, ArticleTable::Mark) == kMarkDone)
            ++outcome.articlesSaved;
    outcome.articlesFailed = outcome.articles - outcome.articlesSaved;
    if (state.pictureQueue) {
        outcome.picturesSaved = state.pictureQueue->Saved();
        outcome.picturesFailed = int(state.pictureQueue->Failed().size());
        outcome.notes = state.pictureQueue->Failed();
    }
    return outcome;
}

} // namespace

QCoro::Task<Outcome> DownloadArticles(AppState& state) {
    ResetRun(state);
    ArticleTable& table = state.table();
    const int n = table.ArticleCount();
    if (n < kMinArticles) {
        const QString text =
            QStringLiteral("很遗憾没有找到文章(或者文章少于5篇)，请重新输入用户名后再按“寻找”");
        state.ShowMessage(text);
        co_return Counted(state, Outcome::Failure(text));
    }
    const QString taskFolder = TaskPaths{state.programFolder(), state.taskName}.TaskFolder();
    if (taskFolder.isEmpty()) {
        // A task name from an edited task file that cannot name a folder of its own.
        const QString text = u"任务名不能用作文件夹名：" + state.taskName;
        state.ShowMessage(text);
        co_return Counted(state, Outcome::Failure(text));
    }

    state.SetCaption(QStringLiteral("正在下载文章.."));
    state.attemptRecord.clear();
    state.SetButtons(buttons::kBusy);
    if (!QFileInfo::exists(taskFolder))
        QDir().mkdir(taskFolder);
    table.SetTopRow(1);

    ArticleSlots articleSlots;
    for (int s = 0; s < AppState::kSlots; ++s) {
        articleSlots.clients[s] = std::make_unique<HttpClient>(state.network());
        Request(state, *articleSlots.clients[s], s + 1);
        articleSlots.clients[s]->Send();
        articleSlots.rows[s] = s + 1;
    }

    std::optional<int> nextRow;
    // No row before this one holds an empty mark; spares rescanning finished rows.
    int scanFrom = 1;
    while (articleSlots.FinishedCount() < AppState::kSlots) {
        for (int s = 0; s < AppState::kSlots; ++s) {
            if (articleSlots.finished[s])
                continue;
            HttpClient& client = *articleSlots.clients[s];
            if (client.ReadyState() == HttpClient::Complete) {
                state.slotAge[s] = 0;
                const int row = articleSlots.rows[s];
                table.SetMark(row, kMarkDone);
                state.SetIndicator(s, kMarkDone);
                // An answer other than 2xx carries no article: its body counts as empty.
                ProcessArticlePage(state, PageText(client, state.serviceKind), row,
                                   !IsSuccessStatus(client.Status()));
                if (table.Cell(row, ArticleTable::Mark).isEmpty())
                    scanFrom = std::min(scanFrom, row);
                const int next = co_await NextPendingArticle(state, scanFrom);
                scanFrom = next > 0 ? next : n + 1;
                nextRow = next;
                if (next == 0) {
                    articleSlots.finished[s] = true;
                    client.abort();
                    continue;
                }
                articleSlots.rows[s] = next;
                Request(state, client, next);
                client.Send();
                AdvanceSpinner(state, s);
            }
            if (state.slotAge[s] >= kStallSeconds) {
                state.slotAge[s] = 0;
                const int row = articleSlots.rows[s];
                table.SetMark(row, QString());
                client.abort();
                Request(state, client, row);
                AdvanceSpinner(state, s);
                co_await YieldOnce{};
                client.Send();
            }
        }
        if (nextRow && *nextRow > 5)
            table.SetTopRow(*nextRow - 5);
        state.SetCaption(u"下载文章：" + (nextRow ? QString::number(*nextRow) : QString()) + u'/' +
                         QString::number(n) + u" 图片剩余:" +
                         QString::number(state.statusLog().Count()));
        // Sleeps until a reply completes or a timer ticks.
        co_await EventPulse::Instance().Next();
    }
    articleSlots = {};

    co_await YieldOnce{};
    co_await WriteIndexPages(state);

    while (state.statusLog().Count() >= 2) {
        state.SetCaption(u"文章下载完成，图片剩余：" + QString::number(state.statusLog().Count()));
        co_await EventPulse::Instance().Next();
    }
    state.SetCaption(QStringLiteral("全部完成，请用软件打包成CHM以便浏览"));
    state.SetButtons(buttons::kDownloaded);
    Outcome outcome;
    outcome.path = taskFolder;
    outcome = Counted(state, outcome);
    outcome.ok = outcome.articlesFailed == 0;
    if (!outcome.ok)
        outcome.problem =
            QStringLiteral("%1/%2 篇文章下载完成").arg(outcome.articlesSaved).arg(outcome.articles);
    co_return outcome;
}

QCoro::Task<Outcome> WaitForPictures(AppState& state, Outcome run) {
    const auto pending = [&state] {
        const StatusLog& queue = state.statusLog();
        return (queue.Count() > 0 && IsPictureEntry(queue.Line(0))) ||
               (state.pictureQueue && !state.pictureQueue->Idle());
    };
    while (pending())
        co_await EventPulse::Instance().Next();
    co_return Counted(state, std::move(run));
}

} // namespace pellomar
