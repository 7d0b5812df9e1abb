// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shell.h"

#include <QProcess>
#include <QStringList>

namespace pellomar {

void OpenDocument(const QString& path) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

} // namespace pellomar
