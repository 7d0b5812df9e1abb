// SPDX-License-Identifier: GPL-3.0-or-later
// The discovery run a reader works for. A newer run (a new task, an imported one) resets the
// table and replaces it; from then on the older run's readers must add nothing, so every
// turn they give the event loop ends with this check.
#pragma once

#include <QtGlobal>
#include <qcoro/qcorotask.h>
#include <stdexcept>

namespace pellomar {

class AppState;

// Thrown at a replaced run's next turn; discovery ends that run without a word.
class RunReplaced : public std::runtime_error {
  public:
    RunReplaced();
};

class ReaderRun {
  public:
    // The run under way now.
    explicit ReaderRun(AppState& state);

    AppState& state() const { return m_state; }
    bool Replaced() const;
    // Throws RunReplaced once a newer run has begun.
    void StopIfReplaced() const;
    // One turn of the event loop, then StopIfReplaced.
    QCoro::Task<> Turn() const;

  private:
    AppState& m_state;
    quint64 m_run;
};

} // namespace pellomar
