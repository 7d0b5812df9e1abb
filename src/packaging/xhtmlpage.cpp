// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/xhtmlpage.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamWriter>
#include <libxml/HTMLparser.h>
#include <memory>

namespace pellomar {

namespace {

using Names = QSet<QString>;

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

// Whether every kept child is one the container allows, the rows of a table included.
bool HoldsOnly(const xmlNode* node, const Names& allowed) {
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            if (!IsBlankText(child))
                return false;
            continue;
        }
        if (child->type != XML_ELEMENT_NODE)
            continue;
        const QString name = ElementName(child);
        if (IsDroppedElement(name))
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
                if (kContainers.contains(parent) && IsBlankText(child))
                    continue;
                m_out.writeCharacters(
                    XmlText(QString::fromUtf8(reinterpret_cast<const char*>(child->content))));
            }
        }
    }

    void Element(const xmlNode* node, const QString& parent, bool inLink) {
        QString name = ElementName(node);
        if (IsDroppedElement(name))
            return;
        const bool phrasing = IsPhrasingElement(name);
        if ((!phrasing && !IsBlockElement(name)) || (phrasing && HasBlock(node)) ||
            (name == u"a" && inLink)) {
            Children(node, parent, inLink); // unknown or misplaced: keep what it holds
            return;
        }
        if (IsPhrasingBlock(name) && HasBlock(node))
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
        if (const QString title = AttributeOf(node, "title"); !title.isEmpty())
            m_out.writeAttribute(QStringLiteral("title"), XmlText(title));
        if (const QString style = AttributeOf(node, "style"); IsPlainStyle(style))
            m_out.writeAttribute(QStringLiteral("style"), XmlText(style));
        if (name == u"a") {
            const QString href = AttributeOf(node, "href");
            if (const QString target = href.isEmpty() ? QString() : m_references.link(href);
                !target.isEmpty())
                m_out.writeAttribute(QStringLiteral("href"), target);
        }
        if (name == u"td" || name == u"th")
            for (const char* span : {"colspan", "rowspan"})
                if (const QString value = AttributeOf(node, span).trimmed(); IsWholeNumber(value))
                    m_out.writeAttribute(QString::fromLatin1(span), value);
        Children(node, name, inLink || name == u"a");
        m_out.writeEndElement();
    }

  private:
    void Picture(const xmlNode* node) {
        const QString src = AttributeOf(node, "src").trimmed();
        const QString target = src.isEmpty() ? QString() : m_references.picture(src);
        if (target.isEmpty())
            return;
        m_out.writeStartElement(QStringLiteral("img"));
        m_out.writeAttribute(QStringLiteral("src"), target);
        m_out.writeAttribute(QStringLiteral("alt"), XmlText(AttributeOf(node, "alt")));
        if (const QString title = AttributeOf(node, "title"); !title.isEmpty())
            m_out.writeAttribute(QStringLiteral("title"), XmlText(title));
        for (const char* size : {"width", "height"})
            if (const QString value = AttributeOf(node, size).trimmed(); IsWholeNumber(value))
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

} // namespace

void WriteXhtmlElement(QXmlStreamWriter& out, const xmlNode* element,
                       const PageReferences& references) {
    BodyWriter(out, references).Element(element, QStringLiteral("div"), false);
}

void WriteXhtmlBody(QXmlStreamWriter& out, const QString& html, const PageReferences& references) {
    const HtmlDocument doc = ParseHtml(html);
    if (!doc)
        return;
    if (const xmlNode* body = FindBody(xmlDocGetRootElement(doc.get())))
        BodyWriter(out, references).Children(body, QStringLiteral("div"), false);
}

} // namespace pellomar
