// SPDX-License-Identifier: GPL-3.0-or-later
// The Markdown export: pages as CommonMark, and the Hugo site of a downloaded task as hugo
// builds it and cmark reads it back.
#include "core/appstate.h"
#include "core/filenames.h"
#include "downloadedtask.h"
#include "packaging/epubbook.h"
#include "packaging/hugosite.h"
#include "packaging/markdownexport.h"
#include "packaging/markdownpage.h"
#include "packaging/savedpages.h"
#include "platform/textstream.h"
#include "support/hugocheck.h"
#include "support/runtask.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmark.h>
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

using namespace pellomar;

namespace {

// Leading dash, quotes, colon, hash: each means something to YAML.
const QString kOddTitle = QStringLiteral("- <杂记> & \"引号\": ?/\\:*;#%+ 结束");

PageReferences FixedReferences() {
    PageReferences references;
    references.picture = [](const QString& src) {
        return src == u"ok.png" ? QStringLiteral("p1.png") : QString();
    };
    references.link = [](const QString& href) {
        return href == u"b.html" ? QStringLiteral("../b/index.html") : QString();
    };
    return references;
}

QString WithoutSpace(QString text) {
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
}

// The texts of the page's body, block by block, whitespace aside.
void BlockTexts(const xmlNode* node, QStringList& texts) {
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE) {
            if (const QString text =
                    WithoutSpace(QString::fromUtf8(reinterpret_cast<const char*>(child->content)));
                !text.isEmpty())
                texts << text;
        } else if (child->type == XML_ELEMENT_NODE && !IsDroppedElement(ElementName(child))) {
            if (IsBlockElement(ElementName(child)) && !HasBlock(child)) {
                QStringList inner;
                BlockTexts(child, inner);
                if (!inner.isEmpty())
                    texts << inner.join(QString());
            } else {
                BlockTexts(child, texts);
            }
        }
    }
}

QStringList BlockTexts(const QString& html) {
    QStringList texts;
    const HtmlDocument doc = ParseHtml(html);
    if (const xmlNode* body = doc ? FindBody(xmlDocGetRootElement(doc.get())) : nullptr)
        BlockTexts(body, texts);
    return texts;
}

QString ReadUtf8(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString CmarkHtml(const QString& markdown) {
    const QByteArray bytes = markdown.toUtf8();
    char* html = cmark_markdown_to_html(bytes.constData(), size_t(bytes.size()), CMARK_OPT_UNSAFE);
    const QString out = QString::fromUtf8(html);
    free(html);
    return out;
}

QByteArray TreeDigest(const QString& folder) {
    QStringList files;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    files.sort();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& path : files) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        hash.addData(path.toUtf8());
        hash.addData(file.readAll());
    }
    return hash.result();
}

} // namespace

TEST(MarkdownBody, WritesEachConstructAndKeepsTextAsItStands) {
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("<p>一<br>二<br></p><p>三</p>"), QStringLiteral("一\\\n二\n\n三\n")},
        {QStringLiteral("<h2>标题 #1</h2><p><b>粗</b>和<i>斜</i><b>“引”</b></p>"),
         QStringLiteral("## 标题 \\#1\n\n**粗**和*斜*<strong>“引”</strong>\n")},
        {QStringLiteral("<p>1. *星* [括] _下_ {{< x >}} &lt;b&gt; a|b ~~删~~ &amp;copy; \\</p>"),
         QStringLiteral("1\\. \\*星\\* \\[括\\] \\_下\\_ \\{\\{\\< x \\>}} \\<b\\> a\\|b "
                        "\\~\\~删\\~\\~ \\&copy; \\\\\n")},
        {QStringLiteral("<p>x<br>- 非列表<br>&gt; 非引用<br>===</p>"),
         QStringLiteral("x\\\n\\- 非列表\\\n\\> 非引用\\\n\\===\n")},
        {QStringLiteral("<ul><li>甲<li>乙</ul><ul><li>丙</ul><ol><li>一</ol>"),
         QStringLiteral("- 甲\n- 乙\n\n* 丙\n\n1. 一\n")},
        {QStringLiteral("<blockquote><p>引</p><p>用</p></blockquote><pre>a *b*\n ``` c</pre>"),
         QStringLiteral("> 引\n>\n> 用\n\n````\na *b*\n ``` c\n````\n")},
        {QStringLiteral("<p><a href=\"b.html\">内</a><a href=\"http://x/\">外</a>"
                        "<img src=\"ok.png\" alt=\"图\"><img src=\"gone.jpg\"></p>"),
         QStringLiteral("[内](../b/index.html)外![图](p1.png)\n")},
        {QStringLiteral("<table><tr><td>格<script>x()</script></td><td></td></tr></table>"),
         QStringLiteral("<table><tr><td>格</td><td></td></tr></table>\n")},
        {QStringLiteral("<p><b>粗<i>斜<font color=red>红"),
         QStringLiteral("<strong>粗*斜红*</strong>\n")},
        // libxml2 stops at 256 levels unless told otherwise.
        {QStringLiteral("<div>").repeated(300) + u"深", QStringLiteral("深\n")},
    };
    for (const auto& [html, markdown] : cases)
        EXPECT_EQ(MarkdownBody(html, FixedReferences()), markdown) << html.toStdString();
}

TEST(HugoSite, FrontMatterQuotesAnyTitleAndKeepsCategoriesOutOfHugosPaths) {
    EXPECT_EQ(FrontMatter({QStringLiteral("- a: \"b\" #c\\"), QStringLiteral("2011-8-21 6:06"),
                           QStringLiteral("../旅行/游记"), QStringLiteral("http://x/")})
                  .toStdString(),
              QStringLiteral("---\ntitle: \"- a: \\\"b\\\" #c\\\\\"\n"
                             "date: 2011-08-21T06:06:00+08:00\n"
                             "categories:\n  - \"．．／旅行／游记\"\n"
                             "source: \"http://x/\"\n---\n")
                  .toStdString());
    const QList<std::pair<QString, QString>> dates = {
        {QStringLiteral("2011-08-21"), QStringLiteral("2011-08-21T00:00:00+08:00")},
        {QStringLiteral("2009年3月5日 18:30:07"), QStringLiteral("2009-03-05T18:30:07+08:00")},
        {QStringLiteral("2011-02-30"), QString()},
        {QStringLiteral("未知"), QString()}};
    for (const auto& [table, iso] : dates)
        EXPECT_EQ(IsoDate(table).toStdString(), iso.toStdString()) << table.toStdString();
}

namespace {

// The downloaded fixture task, plus an article of tag soup with a table, a picture on disk
// and one missing, in a category named like Hugo's own folder.
class MarkdownExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_state = std::make_unique<AppState>(m_program.path());
        m_taskFolder = test::WriteDownloadedTask(*m_state);
        const QString category = QStringLiteral("posts");
        const TaskPaths paths{m_program.path(), m_state->taskName};
        ASSERT_TRUE(m_state->table().AddArticle(
            kOddTitle, category, QStringLiteral("blog_soup.html"), QStringLiteral("2011-08-22")));
        QDir().mkpath(paths.CategoryFolder(category));
        QFile picture(paths.CategoryFolder(category) + u"/ok.png");
        ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
        picture.write(test::SolidPng(40, 30, 0x4060E0u));
        picture.close();
        QFile soup(paths.ArticleFile(category, QStringLiteral("blog_soup.html")));
        ASSERT_TRUE(soup.open(QIODevice::WriteOnly));
        soup.write(EncodeCp936(
            QStringLiteral("<div><p>汤 {{% x %}} <b>粗体<i>斜体<p onclick=\"steal()\">第二段"
                           u"<font color=red>红<table><tr><td>格 1<td>格|2</table>"
                           u"<ul><li>项<script>alert(1)</script><li>- 项二</ul>"
                           u"<img src=\"gone.jpg\"><img src=\"ok.png\" onerror=\"steal()\">"
                           u"<a href=\"../技术/blog_4701280b0100a002.html\">内链</a>")));
    }

    QString SitePath() const { return m_program.filePath(m_state->taskName + u"MD"); }

    QTemporaryDir m_program;
    std::unique_ptr<AppState> m_state;
    QString m_taskFolder;
};

} // namespace

TEST_F(MarkdownExportTest, HugoBuildsEveryParagraphAndPictureAndCmarkReadsTheTextBack) {
    if (test::HugoProgram().isEmpty())
        GTEST_SKIP() << "needs hugo (Debian package hugo)";
    const Outcome made = test::RunTask(ExportMarkdown(*m_state), 60'000);
    ASSERT_TRUE(made.ok) << made.problem.toStdString();
    EXPECT_EQ(made.path, SitePath());
    EXPECT_EQ(made.articlesSaved, 6);
    EXPECT_EQ(made.picturesSaved, 5); // the fixture's four and ok.png; gone.jpg is not on disk
    EXPECT_EQ(m_state->Caption(), u"生成Markdown成功！" + QDir::toNativeSeparators(SitePath()));
    const QByteArray digest = TreeDigest(SitePath());
    ASSERT_TRUE(test::RunTask(ExportMarkdown(*m_state), 60'000).ok);
    EXPECT_EQ(TreeDigest(SitePath()), digest) << "a rerun gives the same bytes";

    QTemporaryDir built;
    ASSERT_EQ(test::HugoBuildProblems(SitePath(), built.path()), QString());

    const TaskPaths paths{m_program.path(), m_state->taskName};
    const QString taskFolder = QFileInfo(m_taskFolder).absoluteFilePath();
    for (const SavedArticle& article : SavedArticles(m_state->table(), paths)) {
        const QString stem = QFileInfo(article.pagePath).completeBaseName();
        const QString saved = ReadSavedPage(article.pagePath);
        const QString pagePath = built.filePath(u"posts/" + stem + u"/index.html");
        const QString page = ReadUtf8(pagePath);
        ASSERT_FALSE(page.isEmpty()) << pagePath.toStdString();
        const QString markdown = ReadUtf8(SitePath() + u"/content/posts/" + stem + u"/index.md");
        const QString pageText = BlockTexts(page).join(QString());
        const QString roundTrip =
            BlockTexts(CmarkHtml(markdown.section(QStringLiteral("---\n"), 2))).join(QString());
        for (const QString& text : BlockTexts(saved)) {
            EXPECT_TRUE(pageText.contains(text))
                << stem.toStdString() << ": " << text.toStdString();
            EXPECT_TRUE(roundTrip.contains(text))
                << stem.toStdString() << ": " << text.toStdString();
        }
        EXPECT_TRUE(pageText.contains(WithoutSpace(article.title))) << stem.toStdString();

        // Every picture shown is a file of the built site; those on disk are all shown.
        int onDisk = 0;
        for (const QString& src : test::PageLinks(saved)) {
            QByteArray png;
            const QString local =
                LocalTarget(src, QFileInfo(article.pagePath).absolutePath(), taskFolder);
            onDisk += src.contains(u'.') && !local.isEmpty() && !src.endsWith(u".html") &&
                      !ShownPictureType(local, &png).isEmpty();
        }
        const QStringList shown =
            test::PageLinks(page).filter(QRegularExpression(QStringLiteral("^p\\d+\\.")));
        EXPECT_EQ(shown.size(), onDisk) << stem.toStdString();
        for (const QString& src : shown)
            EXPECT_TRUE(QFileInfo(QFileInfo(pagePath).absolutePath() + u'/' + src).isFile());
    }
    EXPECT_TRUE(BlockTexts(ReadUtf8(built.filePath(QStringLiteral("categories/posts/index.html"))))
                    .join(QString())
                    .contains(WithoutSpace(kOddTitle)));
}

TEST_F(MarkdownExportTest, AFailedExportLeavesTheEarlierSiteAlone) {
    ASSERT_TRUE(QDir().mkpath(SitePath()));
    QFile earlier(SitePath() + u"/hugo.toml");
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    // A file where the site is built: no folder can be made there.
    QFile blocker(SitePath() + u".part");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Outcome made = test::RunTask(ExportMarkdown(*m_state), 60'000);
    EXPECT_FALSE(made.ok);
    EXPECT_TRUE(m_state->Caption().startsWith(u"生成Markdown失败：无法建立文件夹"))
        << m_state->Caption().toStdString();
    EXPECT_EQ(ReadUtf8(SitePath() + u"/hugo.toml"), QStringLiteral("earlier"));
}
