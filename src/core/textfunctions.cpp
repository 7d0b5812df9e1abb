// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/textfunctions.h"

#include <QHash>
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

QString ReplaceEach(const QString& text, const QList<std::pair<QString, QString>>& pairs) {
    // A trie of the texts to find: (node, character) -> node, and per node the earliest pair
    // that ends there.
    QHash<quint64, qsizetype> edges;
    QList<qsizetype> ending{-1};
    const auto edge = [](qsizetype node, QChar c) { return quint64(node) << 16 | c.unicode(); };
    for (qsizetype p = 0; p < pairs.size(); ++p) {
        if (pairs[p].first.isEmpty())
            continue;
        qsizetype node = 0;
        for (const QChar c : pairs[p].first) {
            auto it = edges.constFind(edge(node, c));
            if (it == edges.cend()) {
                it = edges.insert(edge(node, c), ending.size());
                ending.append(-1);
            }
            node = *it;
        }
        if (ending[node] < 0)
            ending[node] = p;
    }
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        qsizetype node = 0;
        qsizetype best = -1;
        for (qsizetype j = i; j < text.size(); ++j) {
            const auto it = edges.constFind(edge(node, text[j]));
            if (it == edges.cend())
                break;
            node = *it;
            if (ending[node] >= 0 && (best < 0 || ending[node] < best))
                best = ending[node];
        }
        if (best < 0) {
            out += text[i++];
            continue;
        }
        out += pairs[best].second;
        i += pairs[best].first.size();
    }
    return out;
}

} // namespace pellomar
