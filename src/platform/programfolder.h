// SPDX-License-Identifier: GPL-3.0-or-later
// Where task folders, the log, task files and CHM files go.
#pragma once

#include <QString>

namespace pellomar {

// The folder given on the command line when there is one; else the program's own folder
// when it is writable (portable use); else a per-user data folder. The folder is created.
QString ResolveProgramFolder(const QString& requested = {});

} // namespace pellomar
