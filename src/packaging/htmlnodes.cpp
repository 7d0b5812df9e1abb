// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/htmlnodes.h"

#include "packaging/deepnesting.h"

#include <QHash>
#include <QSet>
#include <libxml/HTMLparser.h>

namespace pellomar {

namespace {

using Names = QSet<QString>;

// Gone with everything inside them.
const Names kDropped = {
    QStringLiteral("script"),   QStringLiteral("style"),  QStringLiteral("noscript"),
    QStringLiteral("iframe"),   QStringLiteral("frame"),  QStringLiteral("frameset"),
    QStringLiteral("object"),   QStringLiteral("embed"),  QStringLiteral("applet"),
    QStringLiteral("param"),    QStringLiteral("head"),   QStringLiteral("title"),
    QStringLiteral("meta"),     QStringLiteral("link"),   QStringLiteral("base"),
    QStringLiteral("input"),    QStringLiteral("button"), QStringLiteral("select"),
    QStringLiteral("textarea"), QStringLiteral("audio"),  QStringLiteral("video"),
    QStringLiteral("source"),   QStringLiteral("map"),    QStringLiteral("area"),
    QStringLiteral("canvas"),   QStringLiteral("svg"),    QStringLiteral("math"),
    QStringLiteral("template"), QStringLiteral("col"),    QStringLiteral("colgroup"),
    QStringLiteral("xml"),      QStringLiteral("bgsound")};

// Old names with a place in XHTML under another one.
const QHash<QString, QString> kRenamed = {{QStringLiteral("font"), QStringLiteral("span")},
                                          {QStringLiteral("big"), QStringLiteral("span")},
                                          {QStringLiteral("nobr"), QStringLiteral("span")},
                                          {QStringLiteral("blink"), QStringLiteral("span")},
                                          {QStringLiteral("strike"), QStringLiteral("s")},
                                          {QStringLiteral("tt"), QStringLiteral("code")},
                                          {QStringLiteral("acronym"), QStringLiteral("abbr")},
                                          {QStringLiteral("center"), QStringLiteral("div")},
                                          {QStringLiteral("marquee"), QStringLiteral("div")}};

const Names kPhrasing = {QStringLiteral("a"),    QStringLiteral("abbr"),   QStringLiteral("b"),
                         QStringLiteral("br"),   QStringLiteral("cite"),   QStringLiteral("code"),
                         QStringLiteral("del"),  QStringLiteral("dfn"),    QStringLiteral("em"),
                         QStringLiteral("i"),    QStringLiteral("img"),    QStringLiteral("ins"),
                         QStringLiteral("kbd"),  QStringLiteral("mark"),   QStringLiteral("q"),
                         QStringLiteral("s"),    QStringLiteral("samp"),   QStringLiteral("small"),
                         QStringLiteral("span"), QStringLiteral("strong"), QStringLiteral("sub"),
                         QStringLiteral("sup"),  QStringLiteral("u"),      QStringLiteral("var"),
                         QStringLiteral("wbr")};

// Blocks whose content is phrasing only: a block inside turns them into a div.
const Names kPhrasingBlocks = {QStringLiteral("p"),  QStringLiteral("h1"), QStringLiteral("h2"),
                               QStringLiteral("h3"), QStringLiteral("h4"), QStringLiteral("h5"),
                               QStringLiteral("h6"), QStringLiteral("pre")};

const Names kFlowBlocks = {
    QStringLiteral("div"),     QStringLiteral("blockquote"), QStringLiteral("hr"),
    QStringLiteral("ul"),      QStringLiteral("ol"),         QStringLiteral("li"),
    QStringLiteral("dl"),      QStringLiteral("dt"),         QStringLiteral("dd"),
    QStringLiteral("table"),   QStringLiteral("caption"),    QStringLiteral("thead"),
    QStringLiteral("tbody"),   QStringLiteral("tfoot"),      QStringLiteral("tr"),
    QStringLiteral("td"),      QStringLiteral("th"),         QStringLiteral("address"),
    QStringLiteral("figure"),  QStringLiteral("figcaption"), QStringLiteral("section"),
    QStringLiteral("article"), QStringLiteral("aside"),      QStringLiteral("header"),
    QStringLiteral("footer")};

} // namespace

QString ElementName(const xmlNode* node) {
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(node->name)).toLower();
    return kRenamed.value(name, name);
}

QString AttributeOf(const xmlNode* node, const char* name) {
    for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
        if (qstricmp(reinterpret_cast<const char*>(attr->name), name) != 0)
            continue;
        xmlChar* value = xmlNodeListGetString(node->doc, attr->children, 1);
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(value));
        xmlFree(value);
        return text;
    }
    return {};
}

bool IsBlankText(const xmlNode* text) {
    for (const xmlChar* c = text->content; c && *c; ++c)
        if (!(*c == ' ' || *c == '\t' || *c == '\r' || *c == '\n'))
            return false;
    return true;
}

bool IsBlockElement(const QString& name) {
    return kFlowBlocks.contains(name) || kPhrasingBlocks.contains(name);
}

bool IsDroppedElement(const QString& name) {
    return kDropped.contains(name);
}

bool IsPhrasingElement(const QString& name) {
    return kPhrasing.contains(name);
}

bool IsPhrasingBlock(const QString& name) {
    return kPhrasingBlocks.contains(name);
}

bool HasBlock(const xmlNode* node, QHash<const xmlNode*, bool>* known) {
    if (known)
        if (const auto it = known->constFind(node); it != known->cend())
            return *it;
    bool found = false;
    for (const xmlNode* child = node->children; child && !found; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        const QString name = ElementName(child);
        found = !IsDroppedElement(name) && (IsBlockElement(name) || HasBlock(child, known));
    }
    if (known)
        known->insert(node, found);
    return found;
}

const xmlNode* FindBody(const xmlNode* node) {
    for (; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        if (xmlStrcasecmp(node->name, BAD_CAST "body") == 0)
            return node;
        if (const xmlNode* body = FindBody(node->children))
            return body;
    }
    return nullptr;
}

bool IsRemoteReference(const QString& reference) {
    const QString ref = reference.trimmed();
    if (ref.startsWith(QStringLiteral("//")) || ref.startsWith(QStringLiteral("\\\\")))
        return true;
    const qsizetype colon = ref.indexOf(u':');
    if (colon <= 0)
        return false;
    const QStringView scheme = QStringView(ref).left(colon);
    return std::all_of(scheme.begin(), scheme.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.';
    });
}

HtmlDocument ParseHtml(const QString& html) {
    // Past its depth limit libxml2 drops the rest of the page without a word.
    const QByteArray utf8 = FlattenDeepNesting(html.toUtf8());
    return {htmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8",
                           HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                               HTML_PARSE_NONET | HTML_PARSE_IGNORE_ENC | XML_PARSE_HUGE),
            &xmlFreeDoc};
}

} // namespace pellomar
