// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/textfunctions.h"

#include <algorithm>

namespace pellomar {

QString CutBetween(const QString& text, const QString& start, const QString& end, int skip) {
    const qsizetype s = text.indexOf(start);
    const qsizetype e0 = text.indexOf(end);
    if (s >= 0 && e0 >= 0) {
        const qsizetype v = s + start.size();
        const qsizetype e = text.indexOf(end, v + std::max(skip, 0));
        // An end marker only before that point would give a negative length: treat it as
        // missing.
        if (e >= 0)
            return text.mid(v, e - v);
    }
    return kNotFoundPrefix + text;
}

namespace {

constexpr qsizetype kRefWindow = 8;

// The number of a reference: decimal digits only, within 16 bits.
bool ReadCode(QStringView digits, char16_t* code) {
    if (digits.isEmpty())
        return false;
    int value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > 0xFFFF)
        return false;
    *code = char16_t(value);
    return true;
}

} // namespace

// One pass, as a stack: each ";" written checks whether it ends a reference, and a
// decoded character is written the same way, so that it can complete a further one. A
// reference at the very start is left alone unless the same one is decoded later on.
QString DecodeCharRefs(const QString& input) {
    QString out;
    out.reserve(input.size());
    QString startRef;
    for (const QChar c : input) {
        out.append(c);
        while (out.back() == u';') {
            const qsizetype semi = out.size() - 1;
            qsizetype digits = semi;
            while (digits > 0 && semi - digits < kRefWindow - 3 && out[digits - 1].isDigit() &&
                   out[digits - 1] < u'\x80')
                --digits;
            const qsizetype amp = digits - 2;
            char16_t code = 0;
            if (amp < 0 || out[amp] != u'&' || out[amp + 1] != u'#' ||
                !ReadCode(QStringView(out).mid(digits, semi - digits), &code))
                break;
            if (amp == 0) {
                startRef = out;
                break;
            }
            const QString ref = out.mid(amp);
            out.truncate(amp);
            if (!startRef.isEmpty() && ref == startRef && out.startsWith(startRef)) {
                out.replace(0, startRef.size(), QChar(code));
                startRef.clear();
            }
            out.append(QChar(code));
        }
    }
    return out;
}

} // namespace pellomar
