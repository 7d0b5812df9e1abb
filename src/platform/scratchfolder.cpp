// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/scratchfolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace pellomar {

namespace {

bool IsRunning(qint64 pid) {
#ifdef Q_OS_LINUX
    // A process killed outright stays a zombie until its parent reaps it.
    QFile stat(u"/proc/" + QString::number(pid) + u"/stat");
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const qsizetype state = line.lastIndexOf(')') + 2;
        if (state > 1 && state < line.size() && line.at(state) == 'Z')
            return false;
    }
#endif
#ifdef Q_OS_UNIX
    // Another user's process answers EPERM: it runs.
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    Q_UNUSED(pid);
    return true;
#endif
}

// Set as the program loads: a file of ours older than this is of a run gone before.
const QDateTime kProcessStart = QDateTime::currentDateTime();

// A random suffix, not a word someone named a copy with ("backup").
bool LooksRandom(QStringView suffix) {
    return std::any_of(suffix.begin(), suffix.end(), [](QChar c) { return !c.isLower(); });
}

} // namespace

QString ScratchTemplate(const QString& target) {
    const QFileInfo info(target);
    return info.dir().filePath(u'.' + info.fileName() + u".pellomar-" +
                               QString::number(QCoreApplication::applicationPid()) + u"-XXXXXX");
}

void RemoveStaleScratch(const QString& target) {
    const QFileInfo info(target);
    const QString name = QRegularExpression::escape(info.fileName());
    static const QString kAny = QStringLiteral("[A-Za-z0-9]{6}");
    const QRegularExpression folder(u"^\\." + name + u"\\.pellomar-(\\d+)-" + kAny + u'$');
    const QRegularExpression file(u'^' + name + u"\\." + kAny + u'$');
    const QFileInfoList entries =
        info.dir().entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink())
            continue;
        if (const auto match = folder.match(entry.fileName());
            match.hasMatch() && entry.isDir() && !IsRunning(match.captured(1).toLongLong()))
            QDir(entry.absoluteFilePath()).removeRecursively();
        else if (file.match(entry.fileName()).hasMatch() && entry.isFile() &&
                 LooksRandom(QStringView(entry.fileName()).right(6)) &&
                 entry.lastModified() < kProcessStart)
            QFile::remove(entry.absoluteFilePath());
    }
}

} // namespace pellomar
