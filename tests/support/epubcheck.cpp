// SPDX-License-Identifier: GPL-3.0-or-later
#include "epubcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace pellomar::test {

QStringList EpubCheckCommand() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("epubcheck"));
    const QString java = QStandardPaths::findExecutable(QStringLiteral("java"));
    if (program.isEmpty())
        return {};
    // Debian installs it as the jar itself, which runs only where binfmt hands jars to Java.
    QFile file(QFileInfo(program).canonicalFilePath());
    if (file.open(QIODevice::ReadOnly) && file.read(2) == "PK")
        return java.isEmpty() ? QStringList()
                              : QStringList{java, QStringLiteral("-jar"), file.fileName()};
    return {program};
}

QString EpubCheckProblems(const QString& epubPath) {
    QStringList command = EpubCheckCommand();
    if (command.isEmpty())
        return QStringLiteral("epubcheck is not installed");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.takeFirst(), command << QStringLiteral("--quiet") << epubPath);
    if (!process.waitForFinished(180'000))
        return QStringLiteral("epubcheck did not finish");
    const QString report = QString::fromUtf8(process.readAll()).trimmed();
    return process.exitCode() == 0 && report.isEmpty() ? QString() : report;
}

} // namespace pellomar::test
