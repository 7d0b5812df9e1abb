// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/listreader.h"

#include "core/appstate.h"

namespace pellomar {

NetworkFailure::NetworkFailure() : std::runtime_error(kNetworkFailed.toStdString()) {}

void AddFoundArticle(AppState& state, const QString& title, const QString& category,
                     const QString& link, const QString& date) {
    QString error;
    if (!state.table().AddArticle(title, category, link, date, &error))
        state.statusLog().Add(error);
}

std::optional<int> ReadPageNumber(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > 32767)
        return std::nullopt;
    return value;
}

bool IsPageName(const QString& link) {
    static const QString suffix = QStringLiteral(".html");
    if (link.size() <= suffix.size() || !link.endsWith(suffix))
        return false;
    for (const QChar c : link) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') ||
                           (u >= u'A' && u <= u'Z') || u == u'_' || u == u'-' || u == u'.';
        if (!plain)
            return false;
    }
    return true;
}

} // namespace pellomar
