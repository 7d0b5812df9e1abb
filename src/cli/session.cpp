// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session.h"

#include "core/taskfile.h"

#include <QDir>
#include <QFileInfo>

namespace pellomar::cli {

Session::Session(Context& context)
    : m_context(context), m_line(context.console.Terminal()), m_engine(context.programFolder) {
    if (context.pace)
        state().network().pacer().SetLimit(*context.pace);
    state().network().AddCookies(context.cookies);
    state().originalPictures = context.originalPictures;
    QObject::connect(&state(), &AppState::progressChanged, &state(),
                     [this](const Progress& progress) { ShowProgress(progress); });
    // The captions are the window's: only a service's pause, which stops every number,
    // is shown as it is.
    QObject::connect(&state(), &AppState::captionChanged, &state(), [this](const QString& text) {
        if (!state().network().pacer().CurrentPause())
            return;
        console().Progress(text);
        m_line.DrawnOver();
    });
    QObject::connect(&state(), &AppState::messageShown, &state(),
                     [this](const QString& text) { console().Error(text); });
}

Session::~Session() {
    EndProgress();
}

void Session::ShowProgress(const Progress& progress) {
    if (m_line.NewStep(progress))
        EndProgress();
    if (const std::optional<QString> text = m_line.Update(progress))
        console().Progress(*text);
}

void Session::EndProgress() {
    if (const std::optional<QString> rest = m_line.Pending())
        console().Progress(*rest);
    console().EndProgress();
}

void Session::UseBrowser() {
    state().UseBrowserPlugin();
}

QCoro::Task<> Session::StartUp() {
    co_await state().StartUp();
}

QCoro::Task<Outcome> Session::ImportTaskFile(const QString& path) {
    // discover saves the task file in the program folder, so a bare name is looked for
    // there when the current folder does not hold it.
    QString found = path;
    if (QFileInfo(path).isRelative() && !QFileInfo::exists(path)) {
        const QString inProgramFolder = QDir(m_context.programFolder).filePath(path);
        if (QFileInfo::exists(inProgramFolder))
            found = inProgramFolder;
    }
    co_return co_await ImportTask(state(), found);
}

void Session::Report(const Outcome& outcome) {
    for (const QString& note : outcome.notes)
        console().Error(note);
    if (!outcome.problem.isEmpty())
        console().Error(outcome.problem);
}

} // namespace pellomar::cli
