// SPDX-License-Identifier: GPL-3.0-or-later
// A task file the user imports, written to a temporary program folder first.
#include "core/appstate.h"
#include "core/taskfile.h"
#include "fuzzsupport.h"

#include <QFile>
#include <QTemporaryDir>

using namespace pellomar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnsureApplication();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("导入.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(fuzz::Bytes(data, size)) != qint64(size))
        return 0;
    file.close();
    AppState state(dir.path());
    fuzz::RunToEnd(ImportTask(state, path));
    return 0;
}
