// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/downloader.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "download/articlepage.h"
#include "download/downloadlog.h"
#include "download/downloadsteps.h"
#include "download/indexpages.h"
#include "download/pendingpictures.h"
#include "download/picturequeue.h"
#include "download/pictures.h"
#include "platform/eventloop.h"
#include "platform/httpclient.h"
#include "platform/textstream.h"
#include "services/service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <array>
#include <memory>
#include <optional>

namespace pellomar {

namespace {

constexpr int kMinArticles = 5;
constexpr int kStallSeconds = 5;
// Requests of one row that end without any answer before the row is left for a later run.
constexpr int kNetworkAttempts = 4;
// Stall restarts of one row before it is left for a later run.
constexpr int kMaxRestarts = 3;

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
    state.rowNotes.clear();
    state.titlesChanged = false;
    state.network().pacer().BeginRun();
    state.statusLog().Clear();
    if (state.pictureQueue)
        state.pictureQueue->Reset();
    QFile::remove(state.programFolder() + u'/' + kDownloadLogName);
    ArticleTable& table = state.table();
    for (int row = 1; row <= table.ArticleCount(); ++row)
        table.SetMark(row, QString());
}

// The articles marked done and the pictures the queue has finished with; the notes name
// every row and picture that failed.
Outcome Counted(AppState& state, Outcome outcome) {
    const ArticleTable& table = state.table();
    outcome.articles = table.ArticleCount();
    outcome.articlesSaved = 0;
    outcome.notes.clear();
    for (int row = 1; row <= table.ArticleCount(); ++row) {
        const QString mark = table.Cell(row, ArticleTable::Mark);
        QString note = state.rowNotes.value(row);
        if (mark == kMarkDone)
            ++outcome.articlesSaved;
        if (mark == kMarkFailed && (note.isEmpty() || note == kSavedWholeNote))
            note = QStringLiteral("文章下载失败：");
        else if (mark != kMarkFailed && note != kSavedWholeNote)
            continue;
        outcome.notes.append(note + QString::number(row) + u' ' +
                             table.Cell(row, ArticleTable::Title) + u' ' +
                             ArticleAddress(state, row));
    }
    outcome.articlesFailed = outcome.articles - outcome.articlesSaved;
    if (state.pictureQueue) {
        outcome.picturesSaved = state.pictureQueue->Saved();
        outcome.picturesFailed = int(state.pictureQueue->Failed().size());
        for (const QString& address : state.pictureQueue->Failed())
            outcome.notes.append(u"图片下载失败：" + address);
    }
    return outcome;
}

// A row that failed on the service's login wall; 0 when none did.
int LoginWalledRow(const AppState& state) {
    const Service* service = FindService(state.serviceKind);
    if (!service)
        return 0;
    for (auto it = state.rowNotes.cbegin(); it != state.rowNotes.cend(); ++it)
        for (const PageWall& wall : service->walls)
            if (!wall.slowDown && it.value() == wall.reason &&
                state.table().Cell(it.key(), ArticleTable::Mark) == kMarkFailed)
                return it.key();
    return 0;
}

// The final caption of a run that did not do everything.
QString Summary(const Outcome& outcome) {
    return QStringLiteral("下载结束：文章成功%1篇，失败%2篇；图片成功%3张，失败%4张")
        .arg(outcome.articlesSaved)
        .arg(outcome.articlesFailed)
        .arg(outcome.picturesSaved)
        .arg(outcome.picturesFailed);
}

bool PicturesPending(AppState& state) {
    const StatusLog& queue = state.statusLog();
    return (queue.Count() > 0 && IsPictureEntry(queue.Line(0))) ||
           (state.pictureQueue && !state.pictureQueue->Idle());
}

QString PictureWriteError(const AppState& state) {
    return state.pictureQueue ? state.pictureQueue->WriteError() : QString();
}

// A write that failed ends the run: the disk is full or the folder read-only, and going on
// would only fail again. Nothing unwritten counts as done.
Outcome Stopped(AppState& state, const QString& error) {
    if (state.pictureQueue)
        state.pictureQueue->Reset();
    state.statusLog().Clear();
    const QString text = u"写入失败，下载已停止：" + error;
    state.statusLog().Add(text);
    state.SetCaption(text);
    state.SetButtons(buttons::kDiscovered);
    Outcome outcome = Counted(state, Outcome::Failure(text));
    outcome.problem = text;
    return outcome;
}

} // namespace

QCoro::Task<Outcome> DownloadArticles(AppState& state) {
    const TaskPaths paths = state.Paths();
    const QString taskFolder = paths.TaskFolder();
    // Beside the task folder, not in it: a lock left by a killed process must not be packed.
    // Taken before anything is reset, since another process's run is under way.
    QLockFile lock(taskFolder + u".lock");
    // A side file that is a folder, a link or a pipe would block or hang the task for good.
    for (const QString& side : {QString(taskFolder + u".lock"), PendingPicturesPath(state)}) {
        if (taskFolder.isEmpty() || !IsStrangeFile(side))
            continue;
        const QString text = u"任务的附属文件不是普通文件，请删除后重试：" + side;
        state.ShowMessage(text);
        co_return Outcome::Failure(text);
    }
    // A lock that cannot even be written is left to the writes below, which say why.
    if (!taskFolder.isEmpty() && !lock.tryLock(0) && lock.error() == QLockFile::LockFailedError) {
        const QString text = u"任务正在被另一个下载使用：" + state.taskName;
        state.ShowMessage(text);
        co_return Outcome::Failure(text);
    }
    ResetRun(state);
    ArticleTable& table = state.table();
    const int n = table.ArticleCount();
    if (n < kMinArticles) {
        const QString text =
            QStringLiteral("很遗憾没有找到文章(或者文章少于5篇)，请重新输入用户名后再按“寻找”");
        state.ShowMessage(text);
        co_return Counted(state, Outcome::Failure(text));
    }
    if (taskFolder.isEmpty()) {
        // A task name from an edited task file that cannot name a folder of its own.
        const QString text = u"任务名不能用作文件夹名：" + state.taskName;
        state.ShowMessage(text);
        co_return Counted(state, Outcome::Failure(text));
    }

    state.SetCaption(QStringLiteral("正在下载文章.."));
    state.attemptRecord.clear();
    state.SetButtons(buttons::kBusy);
    if (WriteResult made = MakeFolder(taskFolder); !made)
        co_return Stopped(state, made.error);
    if (state.savePictures)
        RequeuePendingPictures(state);
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
    QHash<int, int> networkAttempts;
    QHash<int, int> restarts;
    QString writeError;
    while (articleSlots.FinishedCount() < AppState::kSlots && writeError.isEmpty()) {
        for (int s = 0; s < AppState::kSlots && writeError.isEmpty(); ++s) {
            if (articleSlots.finished[s])
                continue;
            HttpClient& client = *articleSlots.clients[s];
            bool handOut = false;
            if (client.ReadyState() == HttpClient::Complete) {
                state.slotAge[s] = 0;
                const int row = articleSlots.rows[s];
                if (client.Status() == 0) {
                    // No answer at all is no empty page: asked again, then left without a
                    // file for the next run; a page already on disk stands.
                    const QString file = paths.ArticleFile(table.Cell(row, ArticleTable::Category),
                                                           table.Cell(row, ArticleTable::Link));
                    if (IsOnDisk(file))
                        table.SetMark(row, kMarkDone);
                    else if (++networkAttempts[row] < kNetworkAttempts)
                        table.SetMark(row, QString());
                    else
                        table.SetMark(row, kMarkFailed);
                } else {
                    table.SetMark(row, kMarkDone);
                    state.SetIndicator(s, kMarkDone);
                    // An answer other than 2xx carries no article: its body counts as empty.
                    const WriteResult written =
                        ProcessArticlePage(state, PageText(client, state.serviceKind), row,
                                           !IsSuccessStatus(client.Status()));
                    if (!written) {
                        table.SetMark(row, kMarkFailed);
                        writeError = written.error;
                        break;
                    }
                }
                if (table.Cell(row, ArticleTable::Mark).isEmpty())
                    scanFrom = std::min(scanFrom, row);
                handOut = true;
            } else if (client.Held()) {
                // Waiting for its turn at the service is no stall.
                state.slotAge[s] = 0;
            } else if (state.slotAge[s] >= kStallSeconds) {
                state.slotAge[s] = 0;
                const int row = articleSlots.rows[s];
                client.abort();
                if (++restarts[row] > kMaxRestarts) {
                    // A server that trickles for ever must not hold the run for ever.
                    table.SetMark(row, kMarkFailed);
                    handOut = true;
                } else {
                    table.SetMark(row, QString());
                    Request(state, client, row);
                    AdvanceSpinner(state, s);
                    co_await YieldOnce{};
                    client.Send();
                }
            }
            if (handOut) {
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
        }
        if (writeError.isEmpty())
            writeError = PictureWriteError(state);
        if (!writeError.isEmpty())
            break;
        if (nextRow && *nextRow > 5)
            table.SetTopRow(*nextRow - 5);
        state.SetCaption(u"下载文章：" + (nextRow ? QString::number(*nextRow) : QString()) + u'/' +
                         QString::number(n) + u" 图片剩余:" +
                         QString::number(state.statusLog().Count()));
        ShowDownloadProgress(state, Progress::Download);
        // Sleeps until a reply completes or a timer ticks.
        co_await EventPulse::Instance().Next();
    }
    // Rows still being fetched stay pending for the next run.
    for (int s = 0; s < AppState::kSlots; ++s)
        if (!articleSlots.finished[s] &&
            table.Cell(articleSlots.rows[s], ArticleTable::Mark) == kMarkRequested)
            table.SetMark(articleSlots.rows[s], QString());
    articleSlots = {};
    if (!writeError.isEmpty())
        co_return Stopped(state, writeError);

    co_await YieldOnce{};
    if (WriteResult indexed = co_await WriteIndexPages(state); !indexed)
        co_return Stopped(state, indexed.error);

    // Every picture is waited for (each request ends by its time-out at the latest), so
    // that the counts below are the run's own.
    while (PicturesPending(state)) {
        if (const QString error = PictureWriteError(state); !error.isEmpty())
            co_return Stopped(state, error);
        state.SetCaption(u"文章下载完成，图片剩余：" + QString::number(state.statusLog().Count()));
        ShowDownloadProgress(state, Progress::Pictures);
        co_await EventPulse::Instance().Next();
    }
    ShowDownloadProgress(state, Progress::Pictures);
    if (const QString error = PictureWriteError(state); !error.isEmpty())
        co_return Stopped(state, error);
    if (WriteResult settled = SettlePendingPictures(state); !settled)
        co_return Stopped(state, settled.error);
    Outcome outcome;
    outcome.path = taskFolder;
    outcome = Counted(state, outcome);
    // A picture the server would not give does not fail the run, but it is reported.
    outcome.ok = outcome.articlesFailed == 0;
    // The task file keeps the full titles for the next run and the packers.
    if (state.titlesChanged)
        if (const Outcome saved = ExportTask(state); !saved)
            outcome.notes.append(saved.problem);
    state.SetButtons(outcome.ok ? buttons::kDownloaded : buttons::kDownloadedWithFailures);
    if (outcome.ok && outcome.picturesFailed == 0) {
        state.SetCaption(QStringLiteral("全部完成，请用软件打包成CHM以便浏览"));
    } else {
        outcome.problem = Summary(outcome);
        if (const int row = LoginWalledRow(state); row > 0)
            outcome.problem =
                LoginProblem(state.network(), state.serviceKind, ArticleAddress(state, row)) +
                u'；' + outcome.problem;
        if (const std::optional<QString> label = state.network().pacer().GivenUpLabel())
            outcome.problem = *label + kGaveUpWaiting + outcome.problem;
        state.SetCaption(outcome.problem);
        for (const QString& note : std::as_const(outcome.notes))
            state.statusLog().Add(note);
    }
    co_return outcome;
}

QCoro::Task<Outcome> WaitForPictures(AppState& state, Outcome run) {
    if (!PicturesPending(state))
        co_return Counted(state, std::move(run));
    while (PicturesPending(state)) {
        ShowDownloadProgress(state, Progress::Pictures);
        co_await EventPulse::Instance().Next();
    }
    ShowDownloadProgress(state, Progress::Pictures);
    co_return Counted(state, std::move(run));
}

} // namespace pellomar
