// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/blogaddress.h"

#include "download/filenames.h"

namespace pellomar {

QString TaskNameAsTyped(ServiceKind kind, const QString& typed) {
    return kind == kSina ? SafeFileName(typed) : typed;
}

std::optional<QString> GeneratedBlogAddress(ServiceKind kind, const QString& name) {
    switch (kind) {
    case kBaidu:
        return u"http://" + QString::fromLatin1(hosts::kBaiduSpace) + u'/' + name + u"/blog";
    case kHexun:
        return u"http://" + name + u'.' + QString::fromLatin1(hosts::kHexunDomain);
    case kNetEase:
        return u"http://" + name + u'.' + QString::fromLatin1(hosts::kNetEaseDomain) +
               u"/blog/#m=0";
    case kSohu:
        return u"http://" + name + u'.' + QString::fromLatin1(hosts::kSohuDomain) + u"/entry/";
    default:
        return std::nullopt;
    }
}

bool PicturesByDefault(ServiceKind kind) {
    return IsKnownService(kind) && kind != kHexun;
}

} // namespace pellomar
