// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/xhtmlpage.h"

#include "packaging/deepnesting.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamWriter>
#include <libxml/HTMLparser.h>
#include <memory>

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

// Where the kept children of a container may only be certain elements (and blank text).
const QHash<QString, Names> kContainers = {
    {QStringLiteral("ul"), {QStringLiteral("li")}},
    {QStringLiteral("ol"), {QStringLiteral("li")}},
    {QStringLiteral("dl"), {QStringLiteral("dt"), QStringLiteral("dd")}},
    {QStringLiteral("table"),
     {QStringLiteral("caption"), QStringLiteral("thead"), QStringLiteral("tbody"),
      QStringLiteral("tfoot"), QStringLiteral("tr")}},
    {QStringLiteral("thead"), {QStringLiteral("tr")}},
    {QStringLiteral("tbody"), {QStringLiteral("tr")}},
    {QStringLiteral("tfoot"), {QStringLiteral("tr")}},
    {QStringLiteral("tr"), {QStringLiteral("td"), QStringLiteral("th")}}};

// The containers an element may stand in; elsewhere it becomes a div.
const QHash<QString, Names> kParents = {
    {QStringLiteral("li"), {QStringLiteral("ul"), QStringLiteral("ol")}},
    {QStringLiteral("dt"), {QStringLiteral("dl")}},
    {QStringLiteral("dd"), {QStringLiteral("dl")}},
    {QStringLiteral("caption"), {QStringLiteral("table")}},
    {QStringLiteral("thead"), {QStringLiteral("table")}},
    {QStringLiteral("tbody"), {QStringLiteral("table")}},
    {QStringLiteral("tfoot"), {QStringLiteral("table")}},
    {QStringLiteral("tr"),
     {QStringLiteral("table"), QStringLiteral("thead"), QStringLiteral("tbody"),
      QStringLiteral("tfoot")}},
    {QStringLiteral("td"), {QStringLiteral("tr")}},
    {QStringLiteral("th"), {QStringLiteral("tr")}}};

QString NameOf(const xmlNode* node) {
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(node->name)).toLower();
    return kRenamed.value(name, name);
}

QString Attribute(const xmlNode* node, const char* name) {
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

bool IsBlank(const xmlNode* text) {
    for (const xmlChar* c = text->content; c && *c; ++c)
        if (!(*c == ' ' || *c == '\t' || *c == '\r' || *c == '\n'))
            return false;
    return true;
}

bool IsBlock(const QString& name) {
    return kFlowBlocks.contains(name) || kPhrasingBlocks.contains(name);
}

bool HasBlock(const xmlNode* node) {
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        const QString name = NameOf(child);
        if (kDropped.contains(name))
            continue;
        if (IsBlock(name) || HasBlock(child))
            return true;
    }
    return false;
}

// Whether every kept child is one the container allows, the rows of a table included.
bool HoldsOnly(const xmlNode* node, const Names& allowed) {
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            if (!IsBlank(child))
                return false;
            continue;
        }
        if (child->type != XML_ELEMENT_NODE)
            continue;
        const QString name = NameOf(child);
        if (kDropped.contains(name))
            continue;
        if (!allowed.contains(name))
            return false;
        if (const auto inner = kContainers.constFind(name);
            inner != kContainers.cend() && !HoldsOnly(child, *inner))
            return false;
    }
    return true;
}

// Characters XML 1.0 cannot hold.
QString XmlText(QString text) {
    text.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D) || u == 0xFFFE || u == 0xFFFF;
    });
    return text;
}

bool IsWholeNumber(const QString& text) {
    bool ok = false;
    return text.toUInt(&ok) > 0 && ok && !text.startsWith(u'+');
}

class BodyWriter {
  public:
    BodyWriter(QXmlStreamWriter& out, const PageReferences& references)
        : m_out(out), m_references(references) {}

    // `parent` is the element written last around the children; `inLink` keeps links from
    // nesting.
    void Children(const xmlNode* node, const QString& parent, bool inLink) {
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_ELEMENT_NODE) {
                Element(child, parent, inLink);
            } else if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
                if (kContainers.contains(parent) && IsBlank(child))
                    continue;
                m_out.writeCharacters(
                    XmlText(QString::fromUtf8(reinterpret_cast<const char*>(child->content))));
            }
        }
    }

  private:
    void Element(const xmlNode* node, const QString& parent, bool inLink) {
        QString name = NameOf(node);
        if (kDropped.contains(name))
            return;
        const bool phrasing = kPhrasing.contains(name);
        if ((!phrasing && !IsBlock(name)) || (phrasing && HasBlock(node)) ||
            (name == u"a" && inLink)) {
            Children(node, parent, inLink); // unknown or misplaced: keep what it holds
            return;
        }
        if (kPhrasingBlocks.contains(name) && HasBlock(node))
            name = QStringLiteral("div");
        if (const auto parents = kParents.constFind(name);
            parents != kParents.cend() && !parents->contains(parent))
            name = QStringLiteral("div");
        if (const auto allowed = kContainers.constFind(name);
            allowed != kContainers.cend() && !HoldsOnly(node, *allowed))
            name = QStringLiteral("div");
        if (name == u"img") {
            Picture(node);
            return;
        }

        m_out.writeStartElement(name);
        if (const QString title = Attribute(node, "title"); !title.isEmpty())
            m_out.writeAttribute(QStringLiteral("title"), XmlText(title));
        if (const QString style = Attribute(node, "style"); IsPlainStyle(style))
            m_out.writeAttribute(QStringLiteral("style"), XmlText(style));
        if (name == u"a") {
            const QString href = Attribute(node, "href");
            if (const QString target = href.isEmpty() ? QString() : m_references.link(href);
                !target.isEmpty())
                m_out.writeAttribute(QStringLiteral("href"), target);
        }
        if (name == u"td" || name == u"th")
            for (const char* span : {"colspan", "rowspan"})
                if (const QString value = Attribute(node, span).trimmed(); IsWholeNumber(value))
                    m_out.writeAttribute(QString::fromLatin1(span), value);
        Children(node, name, inLink || name == u"a");
        m_out.writeEndElement();
    }

    void Picture(const xmlNode* node) {
        const QString src = Attribute(node, "src").trimmed();
        const QString target = src.isEmpty() ? QString() : m_references.picture(src);
        if (target.isEmpty())
            return;
        m_out.writeStartElement(QStringLiteral("img"));
        m_out.writeAttribute(QStringLiteral("src"), target);
        m_out.writeAttribute(QStringLiteral("alt"), XmlText(Attribute(node, "alt")));
        if (const QString title = Attribute(node, "title"); !title.isEmpty())
            m_out.writeAttribute(QStringLiteral("title"), XmlText(title));
        for (const char* size : {"width", "height"})
            if (const QString value = Attribute(node, size).trimmed(); IsWholeNumber(value))
                m_out.writeAttribute(QString::fromLatin1(size), value);
        m_out.writeEndElement();
    }

    // Colours and sizes stay; anything that could fetch or run does not.
    static bool IsPlainStyle(const QString& style) {
        return !style.trimmed().isEmpty() && !style.contains(u'\\') &&
               !style.contains(QStringLiteral("url"), Qt::CaseInsensitive) &&
               !style.contains(QStringLiteral("expression"), Qt::CaseInsensitive) &&
               !style.contains(QStringLiteral("import"), Qt::CaseInsensitive);
    }

    QXmlStreamWriter& m_out;
    const PageReferences& m_references;
};

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

} // namespace

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

void WriteXhtmlBody(QXmlStreamWriter& out, const QString& html, const PageReferences& references) {
    const HtmlDocument doc = ParseHtml(html);
    if (!doc)
        return;
    if (const xmlNode* body = FindBody(xmlDocGetRootElement(doc.get())))
        BodyWriter(out, references).Children(body, QStringLiteral("div"), false);
}

} // namespace pellomar
