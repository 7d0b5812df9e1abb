// SPDX-License-Identifier: GPL-3.0-or-later
// The services by number: the number is what a task file stores and the position in the
// new-task dialog's list. Everything else about a service lives in its home in services/.
#pragma once

#include <QString>
#include <QtGlobal>

namespace pellomar {

// Values above 4 (only from an edited task file) match no service.
using ServiceKind = quint8;
inline constexpr ServiceKind kSina = 0;
inline constexpr ServiceKind kBaidu = 1;
inline constexpr ServiceKind kHexun = 2;
inline constexpr ServiceKind kNetEase = 3;
inline constexpr ServiceKind kSohu = 4;
inline constexpr int kServiceCount = 5;

inline bool IsKnownService(ServiceKind kind) {
    return kind < kServiceCount;
}

// The label the dialog lists and the import caption shows; empty for an unknown service.
QString ServiceLabel(ServiceKind kind);

} // namespace pellomar
