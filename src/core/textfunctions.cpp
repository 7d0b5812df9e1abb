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

QString DecodeCharRefs(const QString& input) {
    QString text = input;
    // Every "&#" before this index has been looked at and is no reference.
    qsizetype from = 1;
    for (;;) {
        const qsizetype p = text.indexOf(u"&#", from);
        if (p < 0)
            return text;
        const QStringView window = QStringView(text).mid(p, kRefWindow);
        const qsizetype q = window.indexOf(u';');
        char16_t code = 0;
        if (q < 0 || !ReadCode(window.mid(2, q - 2), &code)) {
            from = p + 1;
            continue;
        }

        // Replace every occurrence at once. Before p one can only stand at the very
        // start (which does not count as a reference itself), so the scan starts at p.
        const QString ref = window.left(q + 1).toString();
        QString out;
        out.reserve(text.size());
        qsizetype copied = 0;
        qsizetype newP = p;
        qsizetype at = text.startsWith(ref) ? 0 : p;
        while (at >= 0) {
            out += QStringView(text).mid(copied, at - copied);
            if (at == p)
                newP = out.size();
            out += QChar(code);
            copied = at + ref.size();
            at = text.indexOf(ref, copied);
        }
        out += QStringView(text).mid(copied);
        text = std::move(out);
        // The new character may complete an "&#" just before it, or bring a ";" into the
        // window of one that was passed over: look again from a window's width back.
        from = std::max<qsizetype>(1, newP - kRefWindow);
    }
}

} // namespace pellomar
