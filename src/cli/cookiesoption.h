// SPDX-License-Identifier: GPL-3.0-or-later
// The login of --cookies: a cookies.txt file read and checked before a command runs.
#pragma once

#include "cli/console.h"

#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <optional>

namespace pellomar::cli {

// The usable cookies of the file, its bad lines and expired cookies told on the error
// stream. nullopt, once said why, for a file that cannot be read or holds no cookie of a
// blog service's site.
std::optional<QList<QNetworkCookie>> ReadCookiesOption(const QString& path, Console& console);

} // namespace pellomar::cli
