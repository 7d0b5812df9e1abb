// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/servicekind.h"

#include <array>

namespace pellomar {

QString ServiceLabel(ServiceKind kind) {
    static const std::array<QString, kServiceCount> labels = {
        QStringLiteral("新浪"), QStringLiteral("百度"), QStringLiteral("和讯"),
        QStringLiteral("网易"), QStringLiteral("搜狐")};
    return IsKnownService(kind) ? labels[kind] : QString();
}

} // namespace pellomar
