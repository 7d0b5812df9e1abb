// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console.h"

#include <QFileDevice>

namespace pellomar::cli {

Console::Console(QIODevice& out, QIODevice& err, bool errIsTerminal)
    : m_out(out), m_err(err), m_errIsTerminal(errIsTerminal) {}

namespace {

// Titles and addresses come from pages anyone may write: a control character among them
// must not retitle, clear or recolour the user's terminal.
QString Shown(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || (u >= 0x7F && u < 0xA0))
            shown +=
                QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, u'0').toUpper();
        else
            shown += c;
    }
    return shown;
}

} // namespace

void Console::Write(QIODevice& device, const QString& text) {
    device.write(text.toUtf8());
    // The standard streams are files here: what is written should show at once.
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        file->flush();
}

void Console::Out(const QString& line) {
    m_lastError.clear();
    EndProgress();
    Write(m_out, Shown(line) + u'\n');
}

void Console::Error(const QString& line) {
    EndProgress();
    if (line == m_lastError)
        return;
    m_lastError = line;
    Write(m_err, Shown(line) + u'\n');
}

void Console::Progress(const QString& text) {
    if (m_quiet || text.isEmpty())
        return;
    if (!m_errIsTerminal) {
        Write(m_err, Shown(text) + u'\n');
        return;
    }
    // Back to the start of the line, the new text, then clear what the old one left.
    Write(m_err, u'\r' + Shown(text) + u"\x1b[K");
    m_progressOpen = true;
}

void Console::EndProgress() {
    if (!m_progressOpen)
        return;
    m_progressOpen = false;
    Write(m_err, QStringLiteral("\n"));
}

} // namespace pellomar::cli
