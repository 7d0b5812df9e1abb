// SPDX-License-Identifier: GPL-3.0-or-later
// What a new task is made of when the user gives a service and a name: the name as it is
// kept, and the blog address the four services with fixed address patterns derive from it.
// The new-task dialog and the command line both go through here.
#pragma once

#include "core/servicekind.h"

#include <QString>
#include <optional>

namespace pellomar {

// Sina names are cleaned as they are typed (they name a folder and nothing else); the
// other services' names are account names and are kept exactly as typed.
QString TaskNameAsTyped(ServiceKind kind, const QString& typed);

// The address built from the name, inserted as typed (not trimmed, cleaned or escaped).
// Nothing for Sina, whose article-list address is typed by the user, or an unknown service.
std::optional<QString> GeneratedBlogAddress(ServiceKind kind, const QString& name);

// Whether pictures are saved when the user takes the service's default: all but Hexun.
bool PicturesByDefault(ServiceKind kind);

} // namespace pellomar
