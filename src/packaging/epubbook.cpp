// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/epubbook.h"

#include "core/articletable.h"
#include "core/filenames.h"
#include "packaging/bmppicture.h"
#include "packaging/savedpages.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QXmlStreamWriter>

namespace pellomar {

namespace {

const QString kXhtml = QStringLiteral("http://www.w3.org/1999/xhtml");
const QString kOps = QStringLiteral("http://www.idpf.org/2007/ops");
const QString kOpf = QStringLiteral("http://www.idpf.org/2007/opf");
const QString kDc = QStringLiteral("http://purl.org/dc/elements/1.1/");
const QString kLanguage = QStringLiteral("zh-CN");

// Every XHTML document of the book opens the same way, up to its body.
void StartXhtml(QXmlStreamWriter& out, const QString& title, bool withStyle) {
    out.setAutoFormatting(false);
    out.writeStartDocument();
    out.writeDTD(QStringLiteral("<!DOCTYPE html>"));
    out.writeStartElement(QStringLiteral("html"));
    out.writeDefaultNamespace(kXhtml);
    out.writeNamespace(kOps, QStringLiteral("epub"));
    out.writeAttribute(QStringLiteral("lang"), kLanguage);
    out.writeAttribute(QStringLiteral("xml:lang"), kLanguage);
    out.writeStartElement(QStringLiteral("head"));
    out.writeStartElement(QStringLiteral("meta"));
    out.writeAttribute(QStringLiteral("charset"), QStringLiteral("utf-8"));
    out.writeEndElement();
    out.writeTextElement(QStringLiteral("title"), title);
    if (withStyle) {
        out.writeStartElement(QStringLiteral("link"));
        out.writeAttribute(QStringLiteral("rel"), QStringLiteral("stylesheet"));
        out.writeAttribute(QStringLiteral("type"), QStringLiteral("text/css"));
        out.writeAttribute(QStringLiteral("href"), QStringLiteral("book.css"));
        out.writeEndElement();
    }
    out.writeEndElement();
    out.writeStartElement(QStringLiteral("body"));
}

void WriteLink(QXmlStreamWriter& out, const QString& href, const QString& text) {
    out.writeStartElement(QStringLiteral("a"));
    out.writeAttribute(QStringLiteral("href"), href);
    out.writeCharacters(text);
    out.writeEndElement();
}

void WriteItem(QXmlStreamWriter& out, const QString& id, const QString& href,
               const QString& mediaType, const QString& properties = {}) {
    out.writeStartElement(QStringLiteral("item"));
    out.writeAttribute(QStringLiteral("id"), id);
    out.writeAttribute(QStringLiteral("href"), href);
    out.writeAttribute(QStringLiteral("media-type"), mediaType);
    if (!properties.isEmpty())
        out.writeAttribute(QStringLiteral("properties"), properties);
    out.writeEndElement();
}

} // namespace

QString PictureMediaType(const QByteArray& head) {
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("image/png");
    if (head.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("image/jpeg");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QStringLiteral("image/gif");
    return {};
}

QString ShownPictureType(const QString& path, QByteArray* asPng) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.peek(16);
    if (const QString type = PictureMediaType(head); !type.isEmpty())
        return type;
    if (!head.startsWith("BM"))
        return {};
    *asPng = BmpAsPng(file.readAll());
    return asPng->isEmpty() ? QString() : QStringLiteral("image/png");
}

QString PictureExtension(const QString& mediaType) {
    return mediaType.section(u'/', 1).replace(QStringLiteral("jpeg"), QStringLiteral("jpg"));
}

EpubBook::EpubBook(const QString& title, const QString& blogAddress, const ArticleTable& table,
                   const TaskPaths& paths)
    : m_title(title) {
    // The same blog exported again is the same book to a reader's library.
    m_identifier =
        QUuid::createUuidV5(QUuid(QStringLiteral("{6ba7b811-9dad-11d1-80b4-00c04fd430c8}")),
                            blogAddress + u'\n' + title)
            .toString(QUuid::WithoutBraces);
    for (const SavedArticle& article : SavedArticles(table, paths)) {
        if (m_sections.isEmpty() || m_sections.back().name != article.category)
            m_sections << EpubSection{article.category, {}};
        const QString href =
            QStringLiteral("c%1.xhtml").arg(m_chapters.size() + 1, 4, 10, QChar(u'0'));
        m_sections.back().chapters << int(m_chapters.size());
        m_chapters << EpubChapter{article.title, article.date, article.pagePath, href};
        m_chapterOfPage.insert(QFileInfo(article.pagePath).absoluteFilePath(), href);
    }
}

QString EpubBook::ChapterOf(const QString& pagePath) const {
    return m_chapterOfPage.value(QFileInfo(pagePath).absoluteFilePath());
}

QString EpubBook::AddPicture(const QString& path) {
    const QString key = QFileInfo(path).absoluteFilePath();
    if (const auto known = m_pictureOfPath.constFind(key); known != m_pictureOfPath.cend())
        return *known;
    QString href;
    QByteArray asPng;
    if (const QString type = ShownPictureType(key, &asPng); !type.isEmpty()) {
        href = QStringLiteral("images/p%1.%2")
                   .arg(m_pictures.size() + 1, 4, 10, QChar(u'0'))
                   .arg(PictureExtension(type));
        m_pictures << EpubPicture{href, type, key, asPng};
    }
    m_pictureOfPath.insert(key, href);
    return href;
}

QByteArray EpubBook::PackageDocument(const QDateTime& modified) const {
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("package"));
    out.writeDefaultNamespace(kOpf);
    out.writeAttribute(QStringLiteral("version"), QStringLiteral("3.0"));
    out.writeAttribute(QStringLiteral("unique-identifier"), QStringLiteral("book-id"));
    out.writeAttribute(QStringLiteral("xml:lang"), kLanguage);

    out.writeStartElement(QStringLiteral("metadata"));
    out.writeNamespace(kDc, QStringLiteral("dc"));
    out.writeStartElement(kDc, QStringLiteral("identifier"));
    out.writeAttribute(QStringLiteral("id"), QStringLiteral("book-id"));
    out.writeCharacters(u"urn:uuid:" + m_identifier);
    out.writeEndElement();
    out.writeTextElement(kDc, QStringLiteral("title"), m_title);
    out.writeTextElement(kDc, QStringLiteral("language"), kLanguage);
    out.writeStartElement(QStringLiteral("meta"));
    out.writeAttribute(QStringLiteral("property"), QStringLiteral("dcterms:modified"));
    out.writeCharacters(modified.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")));
    out.writeEndElement();
    out.writeEndElement();

    out.writeStartElement(QStringLiteral("manifest"));
    WriteItem(out, QStringLiteral("nav"), QStringLiteral("nav.xhtml"),
              QStringLiteral("application/xhtml+xml"), QStringLiteral("nav"));
    WriteItem(out, QStringLiteral("css"), QStringLiteral("book.css"), QStringLiteral("text/css"));
    for (int i = 0; i < m_chapters.size(); ++i)
        WriteItem(out, u"c" + QString::number(i + 1), m_chapters[i].href,
                  QStringLiteral("application/xhtml+xml"));
    for (int i = 0; i < m_pictures.size(); ++i)
        WriteItem(out, u"p" + QString::number(i + 1), m_pictures[i].href, m_pictures[i].mediaType);
    out.writeEndElement();

    out.writeStartElement(QStringLiteral("spine"));
    for (int i = 0; i < m_chapters.size(); ++i) {
        out.writeStartElement(QStringLiteral("itemref"));
        out.writeAttribute(QStringLiteral("idref"), u"c" + QString::number(i + 1));
        out.writeEndElement();
    }
    out.writeEndDocument();
    return bytes;
}

QByteArray EpubBook::NavDocument() const {
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    StartXhtml(out, m_title, false);
    out.writeStartElement(QStringLiteral("nav"));
    out.writeAttribute(kOps, QStringLiteral("type"), QStringLiteral("toc"));
    out.writeAttribute(QStringLiteral("id"), QStringLiteral("toc"));
    out.writeTextElement(QStringLiteral("h1"), m_title);
    out.writeStartElement(QStringLiteral("ol"));
    for (const EpubSection& section : m_sections) {
        out.writeStartElement(QStringLiteral("li"));
        WriteLink(out, m_chapters[section.chapters.front()].href,
                  section.name + u'(' + QString::number(section.chapters.size()) + u')');
        out.writeStartElement(QStringLiteral("ol"));
        for (const int chapter : section.chapters) {
            out.writeStartElement(QStringLiteral("li"));
            WriteLink(out, m_chapters[chapter].href, m_chapters[chapter].title);
            out.writeEndElement();
        }
        out.writeEndElement();
        out.writeEndElement();
    }
    out.writeEndDocument();
    return bytes;
}

QByteArray
EpubBook::ChapterDocument(const EpubChapter& chapter,
                          const std::function<void(QXmlStreamWriter&)>& writeBody) const {
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    StartXhtml(out, chapter.title, true);
    out.writeStartElement(QStringLiteral("section"));
    out.writeAttribute(kOps, QStringLiteral("type"), QStringLiteral("chapter"));
    out.writeTextElement(QStringLiteral("h1"), chapter.title);
    if (!chapter.date.isEmpty()) {
        out.writeStartElement(QStringLiteral("p"));
        out.writeAttribute(QStringLiteral("class"), QStringLiteral("date"));
        out.writeCharacters(chapter.date);
        out.writeEndElement();
    }
    out.writeStartElement(QStringLiteral("div"));
    out.writeAttribute(QStringLiteral("class"), QStringLiteral("article"));
    writeBody(out);
    out.writeEndDocument();
    return bytes;
}

QByteArray EpubContainerXml() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
        "  <rootfiles>\n"
        "    <rootfile full-path=\"EPUB/package.opf\" "
        "media-type=\"application/oebps-package+xml\"/>\n"
        "  </rootfiles>\n"
        "</container>\n");
}

QByteArray EpubStyleSheet() {
    return QByteArrayLiteral("h1 { font-size: 1.4em; margin-bottom: 0.2em; }\n"
                             "p.date { color: #666666; margin-top: 0; }\n"
                             "div.article img { max-width: 100%; height: auto; }\n");
}

} // namespace pellomar
