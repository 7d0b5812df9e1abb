// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console.h"

#include <QFileDevice>

namespace pellomar::cli {

Console::Console(QIODevice& out, QIODevice& err, bool errIsTerminal)
    : m_out(out), m_err(err), m_errIsTerminal(errIsTerminal) {}

void Console::Write(QIODevice& device, const QString& text) {
    device.write(text.toUtf8());
    // The standard streams are files here: what is written should show at once.
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        file->flush();
}

void Console::Out(const QString& line) {
    m_lastProgress.clear();
    EndProgress();
    Write(m_out, line + u'\n');
}

void Console::Error(const QString& line) {
    const bool shown = !m_lastProgress.isNull() && line == m_lastProgress;
    m_lastProgress.clear();
    EndProgress();
    if (!shown)
        Write(m_err, line + u'\n');
}

void Console::Progress(const QString& text) {
    if (m_quiet || text.isEmpty())
        return;
    m_lastProgress = text;
    if (!m_errIsTerminal) {
        Write(m_err, text + u'\n');
        return;
    }
    // Back to the start of the line, the new text, then clear what the old one left.
    Write(m_err, u'\r' + text + u"\x1b[K");
    m_progressOpen = true;
}

void Console::EndProgress() {
    if (!m_progressOpen)
        return;
    m_progressOpen = false;
    Write(m_err, QStringLiteral("\n"));
}

} // namespace pellomar::cli
