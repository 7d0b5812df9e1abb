// SPDX-License-Identifier: GPL-3.0-or-later
// The five services: their numbering, the per-service constants and article addresses.
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace pellomar {

// Position in the dialog's service list. Values above 4 (only from an edited task file)
// match no service.
using ServiceKind = quint8;
inline constexpr ServiceKind kSina = 0;
inline constexpr ServiceKind kBaidu = 1;
inline constexpr ServiceKind kHexun = 2;
inline constexpr ServiceKind kNetEase = 3;
inline constexpr ServiceKind kSohu = 4;
inline constexpr int kServiceCount = 5;

// The services' public hosts.
namespace hosts {
inline constexpr char kSinaBlog[] = "blog.sina.com.cn";
inline constexpr char kSinaStatic[] = "simg.sinajs.cn";
inline constexpr char kBaiduSpace[] = "hi.baidu.com";
inline constexpr char kHexunDomain[] = "blog.hexun.com";
inline constexpr char kNetEaseDomain[] = "blog.163.com";
inline constexpr char kSohuDomain[] = "blog.sohu.com";
} // namespace hosts

struct SiteProfile {
    QString Label;
    QString Charset;
    QString BodyStart;
    QString BodyEnd;
    QString GoneMarkerA;
    QString GoneMarkerB;
    QString GoneMarkerC;
    std::optional<QString> ListReadyMarker;
    std::optional<QString> ListBusyMarker;
};

bool IsKnownService(ServiceKind kind);
// The profile of a known service; nullptr for any other value.
const SiteProfile* Profile(ServiceKind kind);
// The label for display, or the empty text for an unknown service.
QString ServiceLabel(ServiceKind kind);

// The address of an article's page from its link cell; empty for an unknown service or
// a NetEase link too short to lose its last 5 characters.
QString ArticleAddress(ServiceKind kind, const QString& taskName, const QString& link);

} // namespace pellomar
