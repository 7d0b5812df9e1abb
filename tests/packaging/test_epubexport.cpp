// SPDX-License-Identifier: GPL-3.0-or-later
// The EPUB of a downloaded task: the book's order, the pages as XHTML, the container, and
// epubcheck's verdict on the whole.
#include "core/appstate.h"
#include "core/filenames.h"
#include "downloadedtask.h"
#include "packaging/bmppicture.h"
#include "packaging/chmproject.h"
#include "packaging/epubbook.h"
#include "packaging/epubexport.h"
#include "packaging/xhtmlpage.h"
#include "platform/textstream.h"
#include "support/epubcheck.h"
#include "support/runtask.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {

const QString kOddTitle = QStringLiteral("<杂记> & \"引号\" ?/\\:*;#%+ 结束");

// The downloaded fixture task, plus a page of tag soup with a picture that is not on disk,
// and a row whose page never arrived.
class EpubExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_state = std::make_unique<AppState>(m_program.path());
        m_taskFolder = test::WriteDownloadedTask(*m_state);
        const QString category = QStringLiteral("技术");
        const TaskPaths paths{m_program.path(), m_state->taskName};
        ASSERT_TRUE(m_state->table().AddArticle(
            kOddTitle, category, QStringLiteral("blog_soup.html"), QStringLiteral("2011-08-22")));
        QFile soup(paths.ArticleFile(category, QStringLiteral("blog_soup.html")));
        ASSERT_TRUE(soup.open(QIODevice::WriteOnly));
        soup.write(EncodeCp936(
            QStringLiteral("<div><p>汤<b>粗体<i>斜体<p onclick=\"steal()\">第二段<font color=red>红"
                           u"<table><tr><td>格<li>项<script>alert(1)</script>"
                           u"<img src=\"gone.jpg\"><img src=\"http://example.com/x.jpg\">"
                           u"<img src=\"ok.png\" onerror=\"steal()\">"
                           u"<a href=\"http://example.com/\">外链</a><a "
                           u"href=\"blog_4701280b0100a002.html\">内链</a>")));
        soup.close();
        ASSERT_TRUE(m_state->table().AddArticle(QStringLiteral("没下载的"), category,
                                                QStringLiteral("blog_never.html"),
                                                QStringLiteral("2011-08-23")));
        QObject::connect(m_state.get(), &AppState::captionChanged, m_state.get(),
                         [this](const QString& text) { m_captions << text; });
    }

    QString EpubPath() const { return m_program.filePath(m_state->taskName + u".epub"); }

    QTemporaryDir m_program;
    std::unique_ptr<AppState> m_state;
    QString m_taskFolder;
    QStringList m_captions;
};

// The body a page becomes, inside a div of its own.
QString Converted(const QString& html, const PageReferences& references) {
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    out.writeStartElement(QStringLiteral("div"));
    WriteXhtmlBody(out, html, references);
    out.writeEndElement();
    return QString::fromUtf8(bytes);
}

} // namespace

TEST_F(EpubExportTest, ChaptersFollowTheContentsFileAndSkipPagesNotOnDisk) {
    const TaskPaths paths{m_program.path(), m_state->taskName};
    const EpubBook book(m_state->taskName, m_state->blogAddress, m_state->table(), paths);
    // The article entries of the CHM's contents, in their order, minus the missing page.
    QStringList expected;
    static const QRegularExpression local(QStringLiteral("<UL><LI>.*value=\"([^\"]+)\"></OBJECT>"));
    for (const QString& line :
         ContentsFileText(m_state->table(), ContentsFor::Compiler).split(QStringLiteral("\r\n")))
        if (const auto match = local.match(line); match.hasMatch())
            expected << m_taskFolder + u'/' + match.captured(1);
    expected.removeAll(
        paths.ArticleFile(QStringLiteral("技术"), QStringLiteral("blog_never.html")));
    QStringList chapters;
    for (const EpubChapter& chapter : book.Chapters())
        chapters << chapter.pagePath;
    EXPECT_EQ(chapters, expected);
    ASSERT_EQ(book.Sections().size(), m_state->table().Categories().Size());
    EXPECT_EQ(book.Sections()[1].name, QStringLiteral("技术"));
    EXPECT_EQ(book.Chapters()[book.Sections()[1].chapters.front()].title, kOddTitle);
}

TEST_F(EpubExportTest, TagSoupBecomesWellFormedXhtmlWithoutScriptsOrRemoteReferences) {
    QString html;
    QFile soup(m_taskFolder + QStringLiteral("/技术/blog_soup.html"));
    ASSERT_TRUE(soup.open(QIODevice::ReadOnly));
    html = DecodeBytes(soup.readAll(), QStringLiteral("GB2312"));
    PageReferences references;
    references.picture = [&](const QString& src) {
        return src == u"ok.png" ? QStringLiteral("images/p0001.png") : QString();
    };
    references.link = [](const QString& href) {
        return href.startsWith(u"blog_") ? QStringLiteral("c0002.xhtml") : QString();
    };
    const QString xhtml = Converted(html, references);
    QXmlStreamReader reader(xhtml);
    QStringList elements;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement)
            elements << reader.name().toString();
    ASSERT_FALSE(reader.hasError()) << reader.errorString().toStdString() << xhtml.toStdString();
    for (const char16_t* text :
         {u"汤", u"粗体", u"斜体", u"第二段", u"红", u"格", u"项", u"外链", u"内链"})
        EXPECT_TRUE(xhtml.contains(QStringView(text))) << xhtml.toStdString();
    for (const char* gone : {"script", "alert", "onclick", "onerror", "http:", "font", "gone.jpg"})
        EXPECT_FALSE(xhtml.contains(QString::fromLatin1(gone))) << gone << xhtml.toStdString();
    // The picture and the link the book holds stay; the others leave no reference.
    EXPECT_TRUE(xhtml.contains(QStringLiteral("<img src=\"images/p0001.png\" alt=\"\"/>")));
    EXPECT_TRUE(xhtml.contains(QStringLiteral("<a href=\"c0002.xhtml\">内链</a>")));
    EXPECT_TRUE(xhtml.contains(QStringLiteral("<a>外链</a>")));
    // A list item outside a list and a paragraph holding a table are no longer either.
    EXPECT_FALSE(elements.contains(QStringLiteral("li")));
    EXPECT_FALSE(xhtml.contains(QStringLiteral("<p><table")));
}

TEST(XhtmlPage, TextBelowTheParsersDepthLimitIsKept) {
    QString html = QStringLiteral("<html><body>");
    for (int n = 1; n <= 400; ++n)
        html += u"<p><font color=red>段落" + QString::number(n) + u"。";
    const QString xhtml = Converted(html, {});
    EXPECT_TRUE(xhtml.contains(u"段落400。")) << xhtml.right(200).toStdString();
    EXPECT_EQ(xhtml.count(u"段落"), 400);
}

TEST_F(EpubExportTest, BookPassesEpubcheckWithThePicturesOnDiskOnly) {
    if (test::EpubCheckCommand().isEmpty())
        GTEST_SKIP() << "needs epubcheck (Debian package epubcheck) and java";
    const auto saved = m_state->Buttons();
    const Outcome made = test::RunTask(ExportEpub(*m_state), 60'000);
    ASSERT_TRUE(made.ok) << made.problem.toStdString();
    EXPECT_EQ(made.path, EpubPath());
    EXPECT_EQ(made.articlesSaved, 6);
    EXPECT_EQ(made.picturesSaved, 4); // the fixture's four; the missing one is not in the book
    EXPECT_EQ(m_state->Buttons(), saved);
    EXPECT_TRUE(m_captions.contains(QStringLiteral("生成EPUB：6/6")));
    EXPECT_EQ(m_state->Caption(), u"生成EPUB成功！保存为" + EpubPath());
    EXPECT_EQ(test::EpubCheckProblems(EpubPath()), QString());

    // "mimetype" comes first, stored: its bytes stand right after its local header.
    QFile epub(EpubPath());
    ASSERT_TRUE(epub.open(QIODevice::ReadOnly));
    const QByteArray head = epub.read(58);
    EXPECT_EQ(qFromLittleEndian<quint16>(head.constData() + 8), 0); // no compression
    EXPECT_EQ(head.mid(30, 8), QByteArray("mimetype"));
    EXPECT_EQ(head.mid(38), QByteArray("application/epub+zip"));
    EXPECT_EQ(QDir(m_program.path()).entryList({QStringLiteral("*.epub*")}, QDir::Files),
              QStringList{m_state->taskName + u".epub"});
}

TEST_F(EpubExportTest, AFailedExportLeavesAnEarlierBookAlone) {
    QFile earlier(EpubPath());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    // Nothing on disk to put in the book.
    ASSERT_TRUE(QDir(m_taskFolder).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(m_taskFolder));
    const Outcome made = test::RunTask(ExportEpub(*m_state), 60'000);
    EXPECT_FALSE(made.ok);
    EXPECT_TRUE(m_state->Caption().startsWith(u"生成EPUB失败")) << m_state->Caption().toStdString();
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier"));
}

TEST(BmpAsPng, KeepsSizeOrientationAndPaletteColours) {
    // 2 x 2, 1 bit a pixel, bottom-up: the first stored row is the lower one.
    QByteArray bmp("BM", 2);
    const auto le32 = [&bmp](quint32 v) { bmp.append(reinterpret_cast<const char*>(&v), 4); };
    const auto le16 = [&bmp](quint16 v) { bmp.append(reinterpret_cast<const char*>(&v), 2); };
    le32(70);
    le32(0);
    le32(62);
    le32(40);
    le32(2);
    le32(2);
    le16(1);
    le16(1);
    le32(0);
    le32(8);
    le32(0);
    le32(0);
    le32(2);
    le32(0);
    bmp.append(QByteArray::fromHex("0000FF00"
                                   "00FF0000")); // red, green (BGRX)
    bmp.append(QByteArray::fromHex("40000000"
                                   "80000000")); // lower row 0,1; upper row 1,0
    const QByteArray png = BmpAsPng(bmp);
    ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(qFromBigEndian<quint32>(png.constData() + 16), 2u);
    EXPECT_EQ(qFromBigEndian<quint32>(png.constData() + 20), 2u);
    const qsizetype idat = png.indexOf("IDAT");
    const quint32 length = qFromBigEndian<quint32>(png.constData() + idat - 4);
    QByteArray zlib(4, '\0');
    qToBigEndian<quint32>(2 * 7, zlib.data());
    const QByteArray pixels = qUncompress(zlib + png.mid(idat + 4, length));
    EXPECT_EQ(pixels.toHex(), QByteArray("00"
                                         "00ff00"
                                         "ff0000"
                                         "00"
                                         "ff0000"
                                         "00ff00"));
    EXPECT_TRUE(BmpAsPng(bmp.left(60)).isEmpty()) << "a cut-off bitmap is no picture";
}
