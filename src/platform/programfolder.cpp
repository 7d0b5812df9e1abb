// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pellomar {

QString ResolveProgramFolder(const QString& requested) {
    QString folder;
    if (!requested.isEmpty()) {
        folder = QDir(requested).absolutePath();
    } else {
        const QString own = QCoreApplication::applicationDirPath();
        const QFileInfo info(own);
        // An installed program lives in a shared bin folder: never fill that with tasks.
        const bool installed = own.startsWith(u"/usr/") || own == u"/usr/bin" ||
                               own.startsWith(u"/opt/") || own.endsWith(u"/bin");
        if (!installed && info.isDir() && info.isWritable())
            folder = own;
        else
            folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(folder);
    return QDir::cleanPath(folder);
}

} // namespace pellomar
