// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articletable.h"
#include "packaging/chmproject.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {

struct Row {
    QString title;
    QString category;
    QString link;
};

void Fill(ArticleTable& table, const std::vector<Row>& rows) {
    for (const Row& row : rows)
        ASSERT_TRUE(
            table.AddArticle(row.title, row.category, row.link, QStringLiteral("2011-8-21")));
}

QStringList Lines(const QString& text) {
    return text.split(QStringLiteral("\r\n"));
}

const QString kHeader = QStringLiteral(
    "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\"><HTML><HEAD><meta name=\"GENERATOR\" "
    "content=\"kavroPellomar\"><!-- Sitemap 1.0 --></HEAD><BODY><OBJECT type=\"text/site "
    "properties\">    <param name=\"ImageType\" value=\"Folder\"></OBJECT><UL>");

QString CategoryLine(const QString& name, const QString& local) {
    return u"<LI> <OBJECT type=\"Text/sitemap\"> <param name=\"Name\" value=\"" + name +
           u"\"> <param name=\"Local\" value=\"" + local + u"\"></OBJECT>";
}

QString ArticleLine(const QString& name, const QString& local) {
    return u"<UL><LI> <OBJECT type=\"Text/sitemap\"> <param name=\"Name\" value=\"" + name +
           u"\"> <param name=\"Local\" value=\"" + local + u"\"></OBJECT></UL>";
}

} // namespace

TEST(ChmProjectFile, ListsOptionsWindowAndEveryArticleInTableOrder) {
    ArticleTable table;
    Fill(table, {{QStringLiteral("t1"), QStringLiteral("A"), QStringLiteral("1.html")},
                 {QStringLiteral("t2"), QStringLiteral("My Cat"), QStringLiteral("2.html")},
                 {QStringLiteral("t3"), QStringLiteral("A"), QStringLiteral("3.html")}});
    const QStringList expected = {
        QStringLiteral("[Options]"),
        QStringLiteral("Compatibility = 1.1 Or later"),
        QStringLiteral("Compiled file = ..\\my blog:1.chm"),
        QStringLiteral("Contents file = blog.hhc"),
        QStringLiteral("Default window = main"),
        QStringLiteral("Display compile progress=Yes"),
        QStringLiteral("Language=0x804"),
        QStringLiteral("Title = \"my blog:1\""),
        QString(),
        QStringLiteral("[WINDOWS]"),
        QStringLiteral(
            "main=,\"blog.hhc\",,\"index.html\",\"index.html\",,,,,0x2021,,0x104e,,,,,,,,0"),
        QStringLiteral("[Files]"),
        QStringLiteral("A\\1.html"),
        QStringLiteral("My_Cat\\2.html"),
        QStringLiteral("A\\3.html"),
        QStringLiteral("[INFOTYPES]"),
        QString(),
        QString(), // the text ends with CR LF
    };
    // The task name stands unchanged, not cleaned.
    EXPECT_EQ(Lines(ProjectFileText(QStringLiteral("my blog:1"), table)), expected);
}

TEST(ChmProjectFile, IsCodePage936) {
    ArticleTable table;
    Fill(table, {{QStringLiteral("t"), QStringLiteral("中"), QStringLiteral("1.html")}});
    const QByteArray bytes = ProjectFileBytes(QStringLiteral("文"), table);
    EXPECT_TRUE(bytes.contains("Title = \"\xCE\xC4\"\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n\xD6\xD0\\1.html\r\n"));
    EXPECT_TRUE(bytes.endsWith("[INFOTYPES]\r\n\r\n"));
}

TEST(ChmContentsFile, CategoriesInListOrderArticlesReversedAndNumbered) {
    ArticleTable table;
    Fill(table, {{QStringLiteral("one"), QStringLiteral("A"), QStringLiteral("1.html")},
                 {QStringLiteral("two"), QStringLiteral("B"), QStringLiteral("2.html")},
                 {QStringLiteral("three"), QStringLiteral("A"), QStringLiteral("3.html")}});
    const QStringList expected = {
        kHeader,
        CategoryLine(QStringLiteral("A(2)"), QStringLiteral("A.htm")),
        ArticleLine(QStringLiteral("1.three"), QStringLiteral("A\\3.html")),
        ArticleLine(QStringLiteral("2.one"), QStringLiteral("A\\1.html")),
        CategoryLine(QStringLiteral("B(1)"), QStringLiteral("B.htm")),
        ArticleLine(QStringLiteral("1.two"), QStringLiteral("B\\2.html")),
        QStringLiteral("</UL></BODY></HTML>"),
        QString(),
        QString(),
    };
    EXPECT_EQ(Lines(ContentsFileText(table)), expected);
}

TEST(ChmContentsFile, CutsNamesToThirtyCharactersAndLinksTheCleanedCategory) {
    const QString longTitle = QString(35, u'长');
    const QString longCategory = QStringLiteral("分类 ") + QString(30, u'类');
    ArticleTable table;
    Fill(table, {{longTitle, longCategory, QStringLiteral("1.html")}});
    const QString cleaned = QStringLiteral("分类_") + QString(30, u'类');
    const QStringList lines = Lines(ContentsFileText(table));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[1], CategoryLine(longCategory.left(30) + u"(1)", cleaned + u".htm"));
    EXPECT_EQ(lines[2], ArticleLine(u"1." + QString(30, u'长'), cleaned + u"\\1.html"));
    // The project's file list is not affected by the cut.
    EXPECT_TRUE(
        ProjectFileText(QStringLiteral("n"), table).contains(u"\r\n" + cleaned + u"\\1.html\r\n"));
}

TEST(ChmContentsFile, NeverCutsASurrogatePairInHalf) {
    const QString title = QString(29, u'a') + QStringLiteral("😀tail");
    EXPECT_EQ(FirstCharacters(title, 30), QString(29, u'a'));
    EXPECT_EQ(FirstCharacters(QStringLiteral("ab"), 30), QStringLiteral("ab"));
}

TEST(ChmContentsFile, WithoutCategoriesHoldsHeaderAndFooterOnly) {
    ArticleTable table;
    Fill(table, {{QStringLiteral("x"), QString(), QStringLiteral("1.html")},
                 {QStringLiteral("y"), QString(), QStringLiteral("2.html")}});
    EXPECT_EQ(Lines(ContentsFileText(table)),
              (QStringList{kHeader, QStringLiteral("</UL></BODY></HTML>"), QString(), QString()}));
    const QStringList project = Lines(ProjectFileText(QStringLiteral("n"), table));
    EXPECT_TRUE(project.contains(QStringLiteral("1.html")));
    EXPECT_TRUE(project.contains(QStringLiteral("2.html")));
}

TEST(ChmContentsFile, WritesAll501Categories) {
    ArticleTable table;
    for (int i = 0; i < CategoryList::kSlots; ++i)
        ASSERT_TRUE(table.AddArticle(u"t" + QString::number(i), u"c" + QString::number(i),
                                     QString::number(i) + u".html", QStringLiteral("d")));
    const QStringList lines = Lines(ContentsFileText(table));
    const auto categoryLines = std::count_if(lines.begin(), lines.end(), [](const QString& line) {
        return line.startsWith(QStringLiteral("<LI> "));
    });
    EXPECT_EQ(categoryLines, 501);
    EXPECT_EQ(lines[lines.size() - 5],
              CategoryLine(QStringLiteral("c500(1)"), QStringLiteral("c500.htm")));
}

TEST(ChmContentsFile, HashInANameBecomesAQuoteInTheProjectCopyOnly) {
    ArticleTable table;
    Fill(table, {{QStringLiteral("C# \"x\""), QStringLiteral("A#B"), QStringLiteral("1.html")}});
    const QStringList own = Lines(ContentsFileText(table));
    EXPECT_EQ(own[1], CategoryLine(QStringLiteral("A\"B(1)"), QStringLiteral("A_B.htm")));
    EXPECT_EQ(own[2], ArticleLine(QStringLiteral("1.C\" \"x\""), QStringLiteral("A_B\\1.html")));
    // What the compiler sees keeps every name inside its attribute and uses "/".
    const QStringList compiler = Lines(ContentsFileText(table, ContentsFor::Compiler));
    EXPECT_EQ(compiler[1], CategoryLine(QStringLiteral("A&quot;B(1)"), QStringLiteral("A_B.htm")));
    EXPECT_EQ(compiler[2],
              ArticleLine(QStringLiteral("1.C&quot; &quot;x&quot;"), QStringLiteral("A_B/1.html")));
}

TEST(PackingProgress, RoundsHalvesToEven) {
    EXPECT_EQ(PackingProgressText(5, 102, QStringLiteral("20")), QStringLiteral("打包第2/107个"));
    EXPECT_EQ(PackingProgressText(7, 10, QStringLiteral("4")), QStringLiteral("打包第4/12个"));
    EXPECT_EQ(PackingProgressText(1, 30, QStringLiteral("20")), QStringLiteral("打包第0/32个"));
    EXPECT_EQ(PackingProgressText(40, 31, QStringLiteral(" 20 ")), QStringLiteral("打包第20/33个"));
}

TEST(PackingProgress, ShowsTheCountAloneWithoutAUsablePerPageNumber) {
    EXPECT_EQ(PackingProgressText(5, 102, QStringLiteral("0")), QStringLiteral("打包第2个"));
    EXPECT_EQ(PackingProgressText(5, 102, QStringLiteral("abc")), QStringLiteral("打包第2个"));
    EXPECT_EQ(PackingProgressText(6, 102, QStringLiteral("-3")), QStringLiteral("打包第3个"));
}
