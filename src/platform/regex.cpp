// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/regex.h"

#include <QHash>
#include <QRegularExpression>

namespace pellomar {

namespace {

// The readers run the same few patterns over every list page.
const QRegularExpression& Compiled(const QString& pattern) {
    static QHash<QString, QRegularExpression> cache;
    auto found = cache.constFind(pattern);
    if (found != cache.constEnd())
        return *found;
    if (cache.size() >= 64)
        cache.clear();
    // (*LF): only a line feed ends a line, so "." also matches a carriage return, whatever
    // newline convention the PCRE2 library was built with.
    QRegularExpression expression(QStringLiteral("(*LF)") + pattern,
                                  QRegularExpression::CaseInsensitiveOption);
    expression.optimize();
    return *cache.insert(pattern, expression);
}

// The matcher refuses a subject with half a surrogate pair (a character reference can
// leave one in a page), so such halves stand as replacement characters.
QString WholeCharacters(const QString& subject) {
    if (QStringView(subject).isValidUtf16())
        return subject;
    QString text = subject;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace

QString MatchAll(const QString& pattern, const QString& subject) {
    const QRegularExpression& expression = Compiled(pattern);
    if (!expression.isValid())
        return {};
    QString matches;
    QRegularExpressionMatchIterator it = expression.globalMatch(WholeCharacters(subject));
    while (it.hasNext()) {
        matches += it.next().capturedView();
        matches += u"\r\n";
    }
    return matches;
}

} // namespace pellomar
