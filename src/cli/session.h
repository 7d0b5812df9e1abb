// SPDX-License-Identifier: GPL-3.0-or-later
// One command's engine: the shared state started up as the window's load does, its progress
// drawn as the command line's own line and its message boxes printed. Commands build on it.
#pragma once

#include "cli/command.h"
#include "cli/progressline.h"
#include "core/outcome.h"
#include "download/engine.h"

#include <QString>
#include <qcoro/qcorotask.h>

namespace pellomar::cli {

class Session {
  public:
    explicit Session(Context& context);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Lets discovery load the embedded browser, for a service whose list is read through
    // it. Without the plugin, or without the QGuiApplication it runs in, there is none,
    // and the reader says so.
    void UseBrowser();

    // Start-up: request objects, timers, the table and the buttons.
    QCoro::Task<> StartUp();

    Engine& engine() { return m_engine; }
    AppState& state() { return m_engine.state(); }
    Console& console() { return m_context.console; }

    // Loads a task file exactly as "导入" does; a refused file is reported on the error
    // stream (its message box) and leaves the task empty.
    QCoro::Task<Outcome> ImportTaskFile(const QString& path);

    // Ends the progress line of an operation, with the last numbers it held back.
    void EndProgress();

    // An operation's problem and notes on the error stream (a problem the progress line
    // has just shown is not repeated).
    void Report(const Outcome& outcome);

  private:
    void ShowProgress(const Progress& progress);

    Context& m_context;
    ProgressLine m_line;
    Engine m_engine;
};

} // namespace pellomar::cli
