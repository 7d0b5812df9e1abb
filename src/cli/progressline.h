// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's own progress line, made from the engine's numbers: on a terminal one
// line redrawn in place with the time taken and the time left, otherwise plain lines.
#pragma once

#include "core/progress.h"

#include <QElapsedTimer>
#include <QString>
#include <optional>

namespace pellomar::cli {

class ProgressLine {
  public:
    explicit ProgressLine(bool terminal);

    // The text to show for this progress, or nothing when the last one shown still
    // stands (the same text, or too soon after it). The numbers shown never go back
    // within a step and never pass their total.
    std::optional<QString> Update(const Progress& progress);
    // Whether this progress begins another step: the line of the one before is ended.
    bool NewStep(const Progress& progress) const;
    // The latest text held back, once: before a step ends or another begins.
    std::optional<QString> Pending();
    // Something else was drawn over the line: the next update draws it again.
    void DrawnOver() { m_shown.clear(); }

  private:
    QString Text() const;

    bool m_terminal;
    QElapsedTimer m_started;
    QElapsedTimer m_stepStarted;
    QElapsedTimer m_lastShown;
    std::optional<Progress> m_current;
    QString m_shown;
    QString m_pending;
};

} // namespace pellomar::cli
