// SPDX-License-Identifier: GPL-3.0-or-later
// What the full-text index takes from a page: its visible text, broken into words.
#include "packaging/chmsearchindex.h"

#include "packaging/xhtmlpage.h"
#include "platform/textstream.h"

#include <QHash>
#include <libxml/HTMLparser.h>

namespace pellomar {

namespace {

bool IsAsciiWordCharacter(char32_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

bool IsHidden(const xmlNode* node) {
    static const char* const hidden[] = {"script", "style", "noscript", "title"};
    for (const char* name : hidden)
        if (xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0)
            return true;
    return false;
}

void CollectText(const xmlNode* node, QString& text) {
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            text += QString::fromUtf8(reinterpret_cast<const char*>(node->content));
            // Words never run on across markup.
            text += u' ';
        } else if (node->type == XML_ELEMENT_NODE && !IsHidden(node)) {
            CollectText(node->children, text);
        }
    }
}

// A character in code page 936, or empty when it has no place there. The codec is slow to
// call a character at a time, and a blog uses a few thousand characters.
QByteArray CharacterWord(char32_t c) {
    static thread_local QHash<char32_t, QByteArray> known;
    if (const auto it = known.constFind(c); it != known.cend())
        return *it;
    const QString character = QString::fromUcs4(&c, 1);
    return known.insert(c, FitsCp936(character) ? EncodeCp936(character) : QByteArray()).value();
}

} // namespace

void ForEachSearchWord(const QString& text, const std::function<void(const QByteArray&)>& take) {
    QString run;
    const auto endRun = [&take, &run] {
        if (!run.isEmpty())
            take(run.toLower().toLatin1());
        run.clear();
    };
    // A character at a time: a copy of the page in UCS-4 would be twice its size again.
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (IsAsciiWordCharacter(c)) {
            run += QChar(c);
            continue;
        }
        endRun();
        if (!QChar::isLetterOrNumber(c))
            continue;
        if (const QByteArray word = CharacterWord(c); !word.isEmpty())
            take(word);
    }
    endRun();
}

QList<QByteArray> SearchWords(const QString& text) {
    QList<QByteArray> words;
    ForEachSearchWord(text, [&words](const QByteArray& word) { words.append(word); });
    return words;
}

QString PageSearchText(const QString& html) {
    const HtmlDocument doc = ParseHtml(html);
    QString text;
    if (doc)
        CollectText(xmlDocGetRootElement(doc.get()), text);
    return text;
}

} // namespace pellomar
