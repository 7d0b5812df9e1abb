// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/chmpacker.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "packaging/chmproject.h"
#include "packaging/chmsearch.h"
#include "packaging/deepnesting.h"
#include "platform/chmcompiler.h"
#include "platform/eventloop.h"
#include "platform/shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pellomar {

namespace {

void RemoveProjectFiles(const QString& taskFolder) {
    const QDir folder(taskFolder);
    QFile::remove(folder.filePath(kContentsFileName));
    QFile::remove(folder.filePath(kProjectFileName));
}

} // namespace

QCoro::Task<Outcome> MakeChm(AppState& state, bool openWhenDone) {
    const QString taskFolder = state.Paths().TaskFolder();
    const QString chmName = state.taskName + u".chm";
    const auto fail = [&state](const QString& problem) {
        state.SetCaption(u"打包CHM失败：" + problem);
        return Outcome::Failure(u"打包CHM失败：" + problem);
    };
    if (taskFolder.isEmpty() || !IsSafePathComponent(chmName)) {
        co_return fail(u"任务名不能用作文件名：" + state.taskName);
    }
    if (!QFileInfo(taskFolder).isDir()) {
        co_return fail(u"任务文件夹不存在：" + taskFolder);
    }
    const QString chmPath = state.programFolder() + u'/' + chmName;

    // The compile leaves the event loop free: nothing else long may start meanwhile.
    const ButtonStates saved = state.Buttons();
    const auto restoreButtons = [&state, &saved] { state.SetButtons(saved); };
    state.SetButtons(buttons::kBusy);

    qint32 counter = 0;
    if (const WriteResult written = WriteChmProject(taskFolder, state.taskName, state.table());
        !written) {
        RemoveProjectFiles(taskFolder);
        restoreButtons();
        co_return fail(u"无法写入" + written.error);
    }
    state.SetCaption(QStringLiteral("正在打包CHM..."));
    co_await YieldOnce{};

    ChmJob job;
    job.searchIndex = co_await BuildSearchIndex(state);
    state.SetCaption(QStringLiteral("正在打包CHM..."));
    state.SetProgress({Progress::Chm});
    job.sourceFolder = taskFolder;
    job.outputPath = chmPath;
    job.title = state.taskName;
    job.contents = ContentsFileText(state.table(), ContentsFor::Compiler);
    // chmcmd overflows its stack on a page that opens some tens of thousands of elements.
    job.pageCopy = [](const QByteArray& page) { return FlattenDeepNesting(page); };
    const auto progress = [&state, &counter] {
        ++counter;
        state.SetCaption(
            PackingProgressText(counter, state.table().RowCount(), state.PerPageText()));
        return counter % 20 == 0;
    };
    const ChmOutcome outcome = co_await CompileChm(std::move(job), progress);

    if (!outcome.made) {
        RemoveProjectFiles(taskFolder);
        restoreButtons();
        co_return fail(outcome.problem);
    }
    state.SetCaption(QStringLiteral("打包CHM成功！"));
    RemoveProjectFiles(taskFolder);
    state.SetButtons(buttons::kChmBuilt);
    if (openWhenDone)
        OpenDocument(chmPath);
    Outcome made;
    made.ok = true;
    made.articles = state.table().ArticleCount();
    made.path = chmPath;
    co_return made;
}

} // namespace pellomar
