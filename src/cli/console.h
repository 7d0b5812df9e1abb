// SPDX-License-Identifier: GPL-3.0-or-later
// Where the command line writes: results on the output, progress and messages on the error
// stream. On a terminal the progress is one line rewritten in place.
#pragma once

#include <QIODevice>
#include <QString>

namespace pellomar::cli {

class Console {
  public:
    Console(QIODevice& out, QIODevice& err, bool errIsTerminal);

    // A result line on the output.
    void Out(const QString& line);
    // A message line on the error stream; it never shares a line with the progress, and the
    // same message twice in a row (a refusal is both message box and problem) is shown once.
    void Error(const QString& line);
    // The current progress text (nothing while quiet).
    void Progress(const QString& text);
    // Ends a progress line left open on a terminal.
    void EndProgress();

    void SetQuiet(bool quiet) { m_quiet = quiet; }
    bool Quiet() const { return m_quiet; }
    bool Terminal() const { return m_errIsTerminal; }

  private:
    void Write(QIODevice& device, const QString& text);

    QIODevice& m_out;
    QIODevice& m_err;
    bool m_errIsTerminal;
    bool m_quiet = false;
    bool m_progressOpen = false;
    QString m_lastError;
};

} // namespace pellomar::cli
