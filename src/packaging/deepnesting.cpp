// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/deepnesting.h"

#include <QByteArrayView>
#include <algorithm>

namespace pellomar {

namespace {

// Elements that hold nothing, or that the next of their kind closes: they never deepen a
// page in the readers, and leaving them out would join paragraphs and cells.
bool Counts(QByteArrayView name) {
    static const QByteArrayView kFlat[] = {
        "area", "base",  "br",     "col",    "embed", "hr",    "img",   "input",    "link",
        "meta", "param", "source", "track",  "wbr",   "p",     "li",    "dt",       "dd",
        "tr",   "td",    "th",     "option", "thead", "tbody", "tfoot", "colgroup", "basefont"};
    for (QByteArrayView flat : kFlat)
        if (name.compare(flat, Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == ':';
}

} // namespace

QByteArray FlattenDeepNesting(const QByteArray& html, int maxDepth) {
    QByteArray out;
    qsizetype copied = 0; // html[copied, i) is still to go to out
    int depth = 0;
    int dropped = 0; // start tags left out whose end tags are still to come
    const qsizetype size = html.size();
    for (qsizetype i = html.indexOf('<'); i >= 0 && i + 1 < size; i = html.indexOf('<', i + 1)) {
        if (html.at(i + 1) == '!' || html.at(i + 1) == '?') {
            const bool comment = html.mid(i, 4) == "<!--";
            const qsizetype end = comment ? html.indexOf("-->", i + 4) : html.indexOf('>', i);
            if (end < 0)
                break;
            i = end;
            continue;
        }
        const bool closing = html.at(i + 1) == '/';
        qsizetype nameEnd = i + (closing ? 2 : 1);
        while (nameEnd < size && IsNameChar(html.at(nameEnd)))
            ++nameEnd;
        const QByteArrayView name(html.constData() + i + (closing ? 2 : 1),
                                  nameEnd - i - (closing ? 2 : 1));
        const qsizetype end = html.indexOf('>', nameEnd);
        if (name.isEmpty() || end < 0)
            continue;
        const bool selfClosing = html.at(end - 1) == '/';
        // Script and style hold text, not markup.
        if (!closing && (name.compare("script", Qt::CaseInsensitive) == 0 ||
                         name.compare("style", Qt::CaseInsensitive) == 0)) {
            QByteArray tag = QByteArrayLiteral("</");
            tag.append(name);
            const qsizetype close = html.indexOf(tag.toLower(), end);
            const qsizetype upper = html.indexOf(tag.toUpper(), end);
            const qsizetype next = close < 0 ? upper : upper < 0 ? close : std::min(close, upper);
            const qsizetype after = next < 0 ? -1 : html.indexOf('>', next);
            if (after < 0)
                break;
            i = after;
            continue;
        }
        if (!Counts(name) || (selfClosing && !closing)) {
            i = end;
            continue;
        }
        bool drop = false;
        if (!closing && depth >= maxDepth) {
            ++dropped;
            drop = true;
        } else if (!closing) {
            ++depth;
        } else if (dropped > 0) {
            --dropped;
            drop = true;
        } else if (depth > 0) {
            --depth;
        }
        if (drop) {
            out.append(html.constData() + copied, i - copied);
            copied = end + 1;
        }
        i = end;
    }
    if (copied == 0)
        return html;
    out.append(html.constData() + copied, size - copied);
    return out;
}

} // namespace pellomar
