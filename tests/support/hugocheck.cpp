// SPDX-License-Identifier: GPL-3.0-or-later
#include "hugocheck.h"

#include <QProcess>
#include <QStandardPaths>

namespace pellomar::test {

QString HugoProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("hugo"));
}

QString HugoBuildProblems(const QString& site, const QString& destination) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(site);
    process.start(HugoProgram(), {QStringLiteral("--destination"), destination});
    if (!process.waitForFinished(120'000))
        return QStringLiteral("hugo did not finish");
    const QString output = QString::fromUtf8(process.readAll());
    const bool clean = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
                       !output.contains(u"WARN") && !output.contains(u"ERROR");
    return clean ? QString() : output;
}

} // namespace pellomar::test
