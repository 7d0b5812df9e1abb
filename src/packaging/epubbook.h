// SPDX-License-Identifier: GPL-3.0-or-later
// The book an EPUB export makes of a task: its chapters in the order of the CHM's contents
// file, the pictures they show, and the package, navigation and chapter documents.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class QXmlStreamWriter;

namespace pellomar {

class ArticleTable;
struct TaskPaths;

struct EpubChapter {
    QString title;
    QString date;
    QString pagePath; // the article page on disk
    QString href;     // inside the book
};

struct EpubSection {
    QString name;        // the category
    QList<int> chapters; // positions in EpubBook::chapters
};

struct EpubPicture {
    QString href;
    QString mediaType;
    QString path;     // on disk
    QByteArray asPng; // a bitmap converted, taken instead of the file
};

class EpubBook {
  public:
    // Category by category in the category list's order, the last row first within one, as
    // the contents file lists them; rows whose page is not on disk are left out.
    EpubBook(const QString& title, const QString& blogAddress, const ArticleTable& table,
             const TaskPaths& paths);

    const QString& Title() const { return m_title; }
    const QList<EpubChapter>& Chapters() const { return m_chapters; }
    const QList<EpubSection>& Sections() const { return m_sections; }
    const QList<EpubPicture>& Pictures() const { return m_pictures; }

    // The chapter an article page on disk became; empty when it is not in the book.
    QString ChapterOf(const QString& pagePath) const;
    // Takes a picture on disk into the book once; its href, or empty when the file is no
    // picture a reader must show (PNG, JPEG or GIF) and no bitmap that can become one.
    QString AddPicture(const QString& path);

    QByteArray PackageDocument(const QDateTime& modified) const;
    QByteArray NavDocument() const;
    // The chapter's page with its title and date over the body `writeBody` writes.
    QByteArray ChapterDocument(const EpubChapter& chapter,
                               const std::function<void(QXmlStreamWriter&)>& writeBody) const;

  private:
    QString m_title;
    QString m_identifier;
    QList<EpubChapter> m_chapters;
    QList<EpubSection> m_sections;
    QList<EpubPicture> m_pictures;
    QHash<QString, QString> m_chapterOfPage;
    QHash<QString, QString> m_pictureOfPath; // empty href: looked at and refused
};

// "image/png", "image/jpeg", "image/gif" by the file's first bytes; empty for anything else.
QString PictureMediaType(const QByteArray& head);
// The type a picture on disk is shown as: PNG, JPEG or GIF as it is, a bitmap converted to
// PNG into `asPng`; empty for anything else, a missing file too.
QString ShownPictureType(const QString& path, QByteArray* asPng);
// "png", "jpg" or "gif" for those media types.
QString PictureExtension(const QString& mediaType);

inline const QByteArray kEpubMimetype = QByteArrayLiteral("application/epub+zip");
QByteArray EpubContainerXml();
QByteArray EpubStyleSheet();

} // namespace pellomar
