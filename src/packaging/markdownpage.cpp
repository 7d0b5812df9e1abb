// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/markdownpage.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QXmlStreamWriter>
#include <libxml/HTMLparser.h>

namespace pellomar {

namespace {

// Stands for a <br> until the paragraph is written; text never holds it (controls are
// dropped).
constexpr QChar kBreak = QChar(0x01);

constexpr int kMaxNesting = 12;

// Phrasing that Markdown cannot say: kept as a bare HTML tag around Markdown.
const QSet<QString> kHtmlPhrasing = {
    QStringLiteral("u"),    QStringLiteral("s"),    QStringLiteral("del"),   QStringLiteral("ins"),
    QStringLiteral("sub"),  QStringLiteral("sup"),  QStringLiteral("small"), QStringLiteral("mark"),
    QStringLiteral("q"),    QStringLiteral("abbr"), QStringLiteral("cite"),  QStringLiteral("kbd"),
    QStringLiteral("samp"), QStringLiteral("var"),  QStringLiteral("dfn")};

const QSet<QString> kVoidElements = {QStringLiteral("img"), QStringLiteral("br"),
                                     QStringLiteral("hr"), QStringLiteral("wbr")};

QString NodeText(const xmlNode* node) {
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(node->content));
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\t' && c != u'\n'; });
    return text;
}

QString CollapsedSpace(const QString& text) {
    static const QRegularExpression space(QStringLiteral("[ \\t\\r\\n\\f]+"));
    return QString(text).replace(space, QStringLiteral(" "));
}

// Every ASCII mark with a meaning somewhere in CommonMark, Hugo's extensions (tables,
// strikethrough) or the generators' templates ("{{<", "{%") gets its backslash.
QString EscapedText(const QString& text) {
    static const QString special = QStringLiteral("\\`*_[]<>&|~#{");
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (special.contains(c))
            out += u'\\';
        out += c;
    }
    return out;
}

// For text inside HTML the generators still scan for their templates.
QString HtmlText(const QString& text) {
    return QString(text).toHtmlEscaped().replace(u'{', QStringLiteral("&#123;"));
}

bool HasTemplateBraces(const QString& text) {
    return text.contains(QStringLiteral("{{")) || text.contains(QStringLiteral("{%")) ||
           text.contains(QStringLiteral("{#"));
}

// A line of a paragraph that would start a block (list, quote, heading underline, Hugo's
// definition) or an ordered list item does not.
QString LineStartEscaped(const QString& line) {
    static const QRegularExpression ordinal(QStringLiteral("^\\d{1,9}(?=[.)])"));
    if (line.isEmpty())
        return line;
    if (QStringLiteral("-+=>:").contains(line.front()))
        return u'\\' + line;
    if (const auto match = ordinal.match(line); match.hasMatch())
        return match.captured() + u'\\' + line.mid(match.capturedEnd());
    return line;
}

QString Destination(const QString& target) {
    return QString::fromUtf8(QUrl::toPercentEncoding(target, "/.-_~"));
}

QString Indented(const QString& text, const QString& first, const QString& rest) {
    QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        lines[i] = lines[i].isEmpty() ? (i == 0 ? first : rest).trimmed()
                                      : (i == 0 ? first : rest) + lines[i];
    return lines.join(u'\n');
}

class MarkdownWriter {
  public:
    explicit MarkdownWriter(const PageReferences& references) : m_references(references) {}

    QString Blocks(const xmlNode* node) {
        Run run;
        Flow(node, run);
        EndParagraph(run);
        return run.blocks.join(QStringLiteral("\n\n"));
    }

  private:
    struct Run {
        QStringList blocks;
        QString text; // the paragraph being gathered
    };

    void Flow(const xmlNode* node, Run& run) {
        for (const xmlNode* child = node->children; child; child = child->next)
            FlowNode(child, run);
    }

    void FlowNode(const xmlNode* node, Run& run) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            run.text += EscapedText(CollapsedSpace(NodeText(node)));
            return;
        }
        if (node->type != XML_ELEMENT_NODE)
            return;
        const QString name = ElementName(node);
        if (IsDroppedElement(name))
            return;
        const bool holdsBlock = HasBlock(node, &m_holdsBlock);
        if (IsPhrasingElement(name) && !holdsBlock) {
            Inline(node, name, run.text, false);
        } else if (IsBlockElement(name)) {
            EndParagraph(run);
            if (const QString block = Block(node, name, holdsBlock); !block.isEmpty())
                run.blocks << block;
        } else {
            Flow(node, run); // unknown, or phrasing around blocks: keep what it holds
        }
    }

    void EndParagraph(Run& run) {
        QStringList lines = run.text.split(kBreak);
        run.text.clear();
        for (QString& line : lines) {
            while (line.startsWith(u' '))
                line.remove(0, 1);
            while (line.endsWith(u' '))
                line.chop(1);
            line = LineStartEscaped(line);
        }
        while (!lines.isEmpty() && lines.front().isEmpty())
            lines.removeFirst();
        while (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        if (!lines.isEmpty())
            run.blocks << lines.join(QStringLiteral("\\\n"));
    }

    QString Block(const xmlNode* node, const QString& name, bool holdsBlock) {
        if (name.size() == 2 && name.front() == u'h' && name.back() >= u'1' &&
            name.back() <= u'6' && !holdsBlock) {
            QString text;
            InlineChildren(node, text, false);
            text = text.replace(kBreak, u' ').trimmed();
            return text.isEmpty() ? text : QString(name.back().digitValue(), u'#') + u' ' + text;
        }
        // Every level repeats its prefix on each line below it: past a few levels the text
        // goes on without them rather than growing with the square of the depth.
        const bool nests = name == u"ul" || name == u"ol" || name == u"blockquote";
        if (nests && m_nesting >= kMaxNesting)
            return Blocks(node);
        if (nests) {
            ++m_nesting;
            QString block = name == u"blockquote" ? Blocks(node) : List(node, name == u"ol");
            if (name == u"blockquote" && !block.isEmpty())
                block = Indented(block, QStringLiteral("> "), QStringLiteral("> "));
            --m_nesting;
            return block;
        }
        if (name == u"pre")
            return Preformatted(node);
        if (name == u"hr")
            return QStringLiteral("* * *");
        if (name == u"table" || name == u"dl")
            return Html(node);
        return Blocks(node);
    }

    QString List(const xmlNode* node, bool ordered) {
        // Two lists in a row with the same marker would read as one.
        const int number = m_lists++;
        const QString marker =
            ordered ? QString(number % 2 ? u')' : u'.') : QString(number % 2 ? u'*' : u'-');
        QStringList items;
        Run stray;
        const auto addItem = [&](const QString& content) {
            const QString head =
                (ordered ? QString::number(items.size() + 1) + marker : marker) + u' ';
            items << Indented(content, head, QString(head.size(), u' '));
        };
        const auto addStray = [&] {
            EndParagraph(stray);
            if (!stray.blocks.isEmpty())
                addItem(stray.blocks.join(QStringLiteral("\n\n")));
            stray.blocks.clear();
        };
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_ELEMENT_NODE && ElementName(child) == u"li") {
                addStray();
                addItem(Blocks(child));
            } else {
                FlowNode(child, stray);
            }
        }
        addStray();
        m_lists = number + 1;
        const bool loose = std::any_of(items.cbegin(), items.cend(), [](const QString& item) {
            return item.contains(QStringLiteral("\n\n"));
        });
        return items.join(loose ? QStringLiteral("\n\n") : QStringLiteral("\n"));
    }

    QString Preformatted(const xmlNode* node) {
        QString text;
        PlainText(node, text);
        while (text.startsWith(u'\n'))
            text.remove(0, 1);
        while (text.endsWith(u'\n') || text.endsWith(u'\r'))
            text.chop(1);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        if (text.trimmed().isEmpty())
            return {};
        if (HasTemplateBraces(text))
            return u"<pre>" + HtmlText(text) + u"</pre>";
        static const QRegularExpression ticks(QStringLiteral("`+"));
        qsizetype longest = 2;
        for (auto it = ticks.globalMatch(text); it.hasNext();)
            longest = std::max(longest, it.next().capturedLength());
        const QString fence(longest + 1, u'`');
        return fence + u'\n' + text + u'\n' + fence;
    }

    void PlainText(const xmlNode* node, QString& out) {
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
                out += NodeText(child);
            } else if (child->type == XML_ELEMENT_NODE) {
                const QString name = ElementName(child);
                if (name == u"br")
                    out += u'\n';
                else if (!IsDroppedElement(name))
                    PlainText(child, out);
            }
        }
    }

    // The element as the EPUB writes it, on one line so that it stays one HTML block.
    QString Html(const xmlNode* node) {
        QByteArray bytes;
        QXmlStreamWriter out(&bytes);
        WriteXhtmlElement(out, node, m_references);
        QString html = QString::fromUtf8(bytes);
        html.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\n', u' ');
        html.replace(u'\r', u' ').replace(u'{', QStringLiteral("&#123;"));
        // HTML reads <td/> as a start tag.
        static const QRegularExpression empty(QStringLiteral("<([a-z0-9]+)([^<>]*?)/>"));
        QString mended;
        qsizetype last = 0;
        for (auto it = empty.globalMatch(html); it.hasNext();) {
            const auto match = it.next();
            mended += QStringView(html).mid(last, match.capturedStart() - last);
            mended += kVoidElements.contains(match.captured(1))
                          ? match.captured()
                          : u'<' + match.captured(1) + match.captured(2) + u"></" +
                                match.captured(1) + u'>';
            last = match.capturedEnd();
        }
        mended += QStringView(html).mid(last);
        return mended.trimmed();
    }

    void InlineChildren(const xmlNode* node, QString& out, bool inLink) {
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE)
                out += EscapedText(CollapsedSpace(NodeText(child)));
            else if (child->type == XML_ELEMENT_NODE)
                if (const QString name = ElementName(child); !IsDroppedElement(name))
                    Inline(child, name, out, inLink);
        }
    }

    void Inline(const xmlNode* node, const QString& name, QString& out, bool inLink) {
        if (name == u"br") {
            out += kBreak;
        } else if (name == u"img") {
            Picture(node, out);
        } else if (name == u"a") {
            Link(node, out, inLink);
        } else if (name == u"b" || name == u"strong") {
            Emphasis(node, QStringLiteral("**"), QStringLiteral("strong"), out, inLink);
        } else if (name == u"i" || name == u"em") {
            Emphasis(node, QStringLiteral("*"), QStringLiteral("em"), out, inLink);
        } else if (name == u"code") {
            Code(node, out);
        } else if (kHtmlPhrasing.contains(name)) {
            QString inner;
            InlineChildren(node, inner, inLink);
            if (!inner.trimmed().isEmpty())
                out += u'<' + name + u'>' + inner + u"</" + name + u'>';
        } else {
            InlineChildren(node, out, inLink);
        }
    }

    // Markdown's delimiters only where they surely open and close: around letters, and not
    // right after another delimiter; elsewhere the HTML element.
    void Emphasis(const xmlNode* node, const QString& delimiter, const QString& tag, QString& out,
                  bool inLink) {
        QString inner;
        InlineChildren(node, inner, inLink);
        qsizetype lead = 0;
        while (lead < inner.size() && inner[lead].isSpace())
            ++lead;
        qsizetype end = inner.size();
        while (end > lead && inner[end - 1].isSpace())
            --end;
        const QString core = inner.mid(lead, end - lead);
        out += inner.left(lead);
        if (core.isEmpty())
            return;
        if (core.front().isLetterOrNumber() && core.back().isLetterOrNumber() &&
            !out.endsWith(u'*'))
            out += delimiter + core + delimiter;
        else
            out += u'<' + tag + u'>' + core + u"</" + tag + u'>';
        out += inner.mid(end);
    }

    void Code(const xmlNode* node, QString& out) {
        QString text;
        PlainText(node, text);
        text = CollapsedSpace(text);
        if (text.trimmed().isEmpty())
            return;
        static const QRegularExpression ticks(QStringLiteral("`+"));
        qsizetype longest = 0;
        for (auto it = ticks.globalMatch(text); it.hasNext();)
            longest = std::max(longest, it.next().capturedLength());
        // Three backticks at a line's start would open a fenced block.
        if (longest >= 2 || HasTemplateBraces(text)) {
            out += u"<code>" + HtmlText(text) + u"</code>";
            return;
        }
        const QString fence(longest + 1, u'`');
        const QString pad =
            text.startsWith(u'`') || text.endsWith(u'`') ? QStringLiteral(" ") : QString();
        out += fence + pad + text + pad + fence;
    }

    void Link(const xmlNode* node, QString& out, bool inLink) {
        const QString href = AttributeOf(node, "href").trimmed();
        const QString target = inLink || href.isEmpty() ? QString() : m_references.link(href);
        QString inner;
        InlineChildren(node, inner, true);
        if (target.isEmpty() || inner.trimmed().isEmpty())
            out += inner;
        else
            out += u'[' + inner + QStringLiteral("](") + Destination(target) + u')';
    }

    void Picture(const xmlNode* node, QString& out) {
        const QString src = AttributeOf(node, "src").trimmed();
        const QString target = src.isEmpty() ? QString() : m_references.picture(src);
        if (target.isEmpty())
            return;
        out += QStringLiteral("![") +
               EscapedText(CollapsedSpace(AttributeOf(node, "alt")).trimmed()) +
               QStringLiteral("](") + Destination(target);
        if (QString title = CollapsedSpace(AttributeOf(node, "title")).trimmed(); !title.isEmpty())
            out += QStringLiteral(" \"") +
                   title.replace(u'\\', QStringLiteral("\\\\"))
                       .replace(u'"', QStringLiteral("\\\""))
                       .replace(u'{', QStringLiteral("\\{")) +
                   u'"';
        out += u')';
    }

    const PageReferences& m_references;
    QHash<const xmlNode*, bool> m_holdsBlock;
    int m_lists = 0;
    int m_nesting = 0;
};

} // namespace

QString MarkdownBody(const QString& html, const PageReferences& references) {
    const HtmlDocument doc = ParseHtml(html);
    if (!doc)
        return {};
    const xmlNode* body = FindBody(xmlDocGetRootElement(doc.get()));
    const QString markdown = body ? MarkdownWriter(references).Blocks(body) : QString();
    return markdown.isEmpty() ? markdown : markdown + u'\n';
}

} // namespace pellomar
