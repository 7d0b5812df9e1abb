// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/chmpacker.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "packaging/chmproject.h"
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

QCoro::Task<bool> MakeChm(AppState& state, bool openWhenDone) {
    const QString taskFolder = TaskPaths{state.programFolder(), state.taskName}.TaskFolder();
    const QString chmName = state.taskName + u".chm";
    const auto fail = [&state](const QString& problem) {
        state.SetCaption(u"打包CHM失败：" + problem);
    };
    if (taskFolder.isEmpty() || !IsSafePathComponent(chmName)) {
        fail(u"任务名不能用作文件名：" + state.taskName);
        co_return false;
    }
    if (!QFileInfo(taskFolder).isDir()) {
        fail(u"任务文件夹不存在：" + taskFolder);
        co_return false;
    }
    const QString chmPath = state.programFolder() + u'/' + chmName;

    // The compile leaves the event loop free: nothing else long may start meanwhile.
    const std::array<bool, 6> buttons = state.Buttons();
    const auto restoreButtons = [&state, &buttons] {
        state.SetButtons(buttons[AppState::NewTask], buttons[AppState::Download],
                         buttons[AppState::MakeChm], buttons[AppState::Folder],
                         buttons[AppState::ExportTask], buttons[AppState::ImportTask]);
    };
    state.SetButtons(false, false, false, true, false, false);

    qint32 counter = 0;
    if (!WriteChmProject(taskFolder, state.taskName, state.table())) {
        RemoveProjectFiles(taskFolder);
        restoreButtons();
        fail(u"无法写入" + kProjectFileName + u"或" + kContentsFileName);
        co_return false;
    }
    state.SetCaption(QStringLiteral("正在打包CHM..."));
    co_await YieldOnce{};

    ChmJob job;
    job.sourceFolder = taskFolder;
    job.outputPath = chmPath;
    job.title = state.taskName;
    job.contents = ContentsFileText(state.table(), ContentsFor::Compiler);
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
        fail(outcome.problem);
        co_return false;
    }
    state.SetCaption(QStringLiteral("打包CHM成功！"));
    RemoveProjectFiles(taskFolder);
    state.SetButtons(true, false, false, true, false, true);
    if (openWhenDone)
        OpenDocument(chmPath);
    co_return true;
}

} // namespace pellomar
