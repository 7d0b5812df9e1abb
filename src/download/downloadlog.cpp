// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/downloadlog.h"

#include "platform/textstream.h"

#include <QTime>

namespace pellomar {

void AppendLog(const QString& programFolder, const QString& message) {
    if (programFolder.isEmpty())
        return;
    const QString line = QTime::currentTime().toString(u"hh:mm:ss") + u' ' + message + u"\r\n";
    // One write per line: a log that cannot be written is skipped, never fatal.
    AppendTextFile(programFolder + u'/' + kDownloadLogName, line);
}

} // namespace pellomar
