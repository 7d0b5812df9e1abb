// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scopedtmpfs.h"

#include <QProcess>
#include <unistd.h>

namespace pellomar::test {

namespace {

bool Run(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("mount"), arguments);
    return process.waitForFinished(10'000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

ScopedTmpfs::ScopedTmpfs(qint64 bytes, bool readOnly) {
    if (geteuid() != 0 || !m_dir.isValid())
        return;
    const QString options =
        (readOnly ? QStringLiteral("ro,") : QString()) + u"size=" + QString::number(bytes);
    m_mounted = Run({u"-t"_qs, u"tmpfs"_qs, u"-o"_qs, options, u"tmpfs"_qs, m_dir.path()});
}

ScopedTmpfs::~ScopedTmpfs() {
    if (!m_mounted)
        return;
    QProcess process;
    // Lazily: a file a test left open must not keep the mount.
    process.start(QStringLiteral("umount"), {u"-l"_qs, m_dir.path()});
    process.waitForFinished(10'000);
}

} // namespace pellomar::test
