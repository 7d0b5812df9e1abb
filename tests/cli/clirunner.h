// SPDX-License-Identifier: GPL-3.0-or-later
// Runs pellomar-cli's commands in the test process, catching what they print.
#pragma once

#include "cli/cli.h"
#include "cli/console.h"
#include "support/runtask.h"

#include <QBuffer>
#include <QStringList>

namespace pellomar::test {

class CliRunner {
  public:
    // The exit status of "pellomar-cli" + arguments.
    int Run(const QStringList& arguments, int timeoutMs) {
        m_out.setData(QByteArray());
        m_err.setData(QByteArray());
        m_out.open(QIODevice::WriteOnly);
        m_err.open(QIODevice::WriteOnly);
        cli::Console console(m_out, m_err, false);
        const int status = RunTask(
            cli::Run(QStringList{QStringLiteral("pellomar-cli")} + arguments, console), timeoutMs);
        m_out.close();
        m_err.close();
        return status;
    }
    QString Out() const { return QString::fromUtf8(m_out.data()); }
    QString Err() const { return QString::fromUtf8(m_err.data()); }

  private:
    QBuffer m_out;
    QBuffer m_err;
};

} // namespace pellomar::test
