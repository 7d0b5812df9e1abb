// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/filenames.h"
#include "packaging/textexport.h"
#include "platform/textstream.h"
#include "support/runtask.h"
#include "support/scopedtmpfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class HtmlToTextTest : public ::testing::Test {
  protected:
    // Converts the page bytes; the text file's bytes land in m_written.
    QString Convert(const QByteArray& page) {
        const QString pagePath = m_dir.filePath(QStringLiteral("page.html"));
        const QString textPath = m_dir.filePath(QStringLiteral("page.txt"));
        QFile::remove(textPath);
        EXPECT_TRUE(WriteBytes(pagePath, page));
        const QString text = HtmlToText(pagePath, textPath);
        m_written = QFileInfo::exists(textPath) ? ReadAll(textPath) : QByteArray();
        return text;
    }

    QTemporaryDir m_dir;
    QByteArray m_written;
};

} // namespace

TEST_F(HtmlToTextTest, ClosingParagraphAndPlainBreakMakeLines) {
    EXPECT_EQ(Convert("<div>one</p>two<br>three</div>"), QStringLiteral("one\r\ntwo\r\nthree"));
    EXPECT_EQ(Convert("<div>one</P>two<BR>three</div>"), QStringLiteral("one\r\ntwo\r\nthree"));
    // A break written with a slash, an opening paragraph and a closing division make none.
    EXPECT_EQ(Convert("<div>one</p>two<br/>three</div>"), QStringLiteral("one\r\ntwothree"));
    EXPECT_EQ(Convert("<div>a<p>b</div>c"), QStringLiteral("abc"));
}

TEST_F(HtmlToTextTest, WritesTheTextInCodePage936WithALineEnd) {
    const QString text = Convert(EncodeCp936(QStringLiteral("<p>中文</p>\r\n")));
    EXPECT_EQ(text, QStringLiteral("中文\r\n"));
    EXPECT_EQ(m_written, QByteArray("\xD6\xD0\xCE\xC4\r\n\r\n"));
    // A closing paragraph in the last four bytes of the file is not seen.
    EXPECT_EQ(Convert(EncodeCp936(QStringLiteral("<p>中文</p>"))), QStringLiteral("中文"));
}

TEST_F(HtmlToTextTest, ScriptsAndStylesLeaveNoTrace) {
    EXPECT_EQ(Convert("<p>a</p><script type=x>var s = '<b>bold</b>';</script><p>b</p>"),
              QStringLiteral("a\r\nb"));
    EXPECT_EQ(Convert("<p>a</p><STYLE>p { color: red }</STYLE><p>b</p>"), QStringLiteral("a\r\nb"));
}

TEST_F(HtmlToTextTest, EntitiesAndReferences) {
    EXPECT_EQ(Convert("<p>a&nbsp;b &#20013; &amp; &lt;</p>"), QStringLiteral("ab 中 &amp; &lt;"));
}

TEST_F(HtmlToTextTest, SourceLineBreaksGoLoneLineFeedsStay) {
    EXPECT_EQ(Convert("<p>a\r\nb\rc\nd</p>\r"), QStringLiteral("abc\nd\r\n"));
    // Text before the first ">" is dropped.
    EXPECT_EQ(Convert("lead<b>x"), QStringLiteral("x"));
}

TEST_F(HtmlToTextTest, ClosingHeadDiscardsWhatCameBefore) {
    EXPECT_EQ(Convert("<title>old</title></HEAD><body>new</body>"), QStringLiteral("new"));
    EXPECT_EQ(Convert("<title>old</title></head>>tail"), QStringLiteral("tail"));
    // Within the last bytes of the file the tests past the end match nothing.
    EXPECT_EQ(Convert("<b>old</head>"), QStringLiteral("old"));
    EXPECT_EQ(Convert("<b>x</head>>a"), QStringLiteral("a"));
    EXPECT_EQ(Convert("<b>old</head>a"), QString());
    EXPECT_TRUE(m_written.isEmpty());
}

TEST_F(HtmlToTextTest, NothingLeftMeansNoTextFile) {
    EXPECT_EQ(Convert(QByteArray()), QString());
    EXPECT_TRUE(m_written.isEmpty());
    EXPECT_EQ(Convert("<p></p><br>"), QStringLiteral("\r\n"));
    EXPECT_EQ(m_written, QByteArray("\r\n\r\n"));
    EXPECT_EQ(HtmlToText(m_dir.filePath(QStringLiteral("missing.html")),
                         m_dir.filePath(QStringLiteral("missing.txt"))),
              QString());
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("missing.txt"))));
}

namespace {

class ExportTextTest : public ::testing::Test {
  protected:
    ExportTextTest() : m_state(m_dir.path()) {
        m_state.taskName = QStringLiteral("博客");
        QObject::connect(&m_state, &AppState::captionChanged, &m_state,
                         [this](const QString& text) { m_captions << text; });
    }

    void AddArticle(const QString& title, const QString& category, const QString& link,
                    const char* page = nullptr) {
        ASSERT_TRUE(m_state.table().AddArticle(title, category, link, QStringLiteral("d")));
        if (!page)
            return;
        const TaskPaths paths{m_dir.path(), m_state.taskName};
        QDir().mkpath(paths.CategoryFolder(category));
        ASSERT_TRUE(
            WriteBytes(paths.ArticleFile(category, link), EncodeCp936(QString::fromUtf8(page))));
    }

    QString ExportPath(const QString& name) const { return m_dir.filePath(u"博客TXT/" + name); }

    QTemporaryDir m_dir;
    AppState m_state;
    QStringList m_captions;
};

QByteArray Separator(const QString& name) {
    return EncodeCp936(u"----------------   " + name + u".txt   ----------------\r\n");
}

} // namespace

TEST_F(ExportTextTest, OneFilePerArticleAndCombinedFilesInReverseTableOrder) {
    AddArticle(QStringLiteral("同名"), QStringLiteral("生活"), QStringLiteral("1.html"),
               "<p>第一</p>");
    AddArticle(QStringLiteral("其他?"), QStringLiteral("生活"), QStringLiteral("2.html"),
               "<p>第二</p>");
    AddArticle(QStringLiteral("同名"), QStringLiteral("生活"), QStringLiteral("3.html"),
               "<p>第三</p>");
    AddArticle(QStringLiteral("没下载"), QStringLiteral("生活"), QStringLiteral("4.html"));
    AddArticle(QStringLiteral("t"), QStringLiteral("a b"), QStringLiteral("5.html"), "<b>x");

    EXPECT_EQ(pellomar::test::RunTask(ExportText(m_state)).articlesSaved, 4);
    EXPECT_EQ(m_captions.last(), QStringLiteral("转换TXT完成,一共4个"));
    EXPECT_TRUE(m_captions.contains(QStringLiteral("转换TXT：1/5")));
    EXPECT_TRUE(m_captions.contains(QStringLiteral("转换TXT：5/5")));

    // Same title, same file: the row higher in the table is converted last and wins.
    EXPECT_EQ(ReadAll(ExportPath(QStringLiteral("生活/同名.txt"))),
              EncodeCp936(QStringLiteral("第一\r\n")));
    EXPECT_EQ(ReadAll(ExportPath(QStringLiteral("生活/其他_.txt"))),
              EncodeCp936(QStringLiteral("第二\r\n")));
    EXPECT_FALSE(QFileInfo::exists(ExportPath(QStringLiteral("生活/没下载.txt"))));

    const QByteArray combined =
        Separator(QStringLiteral("同名")) + EncodeCp936(QStringLiteral("第三\r\n")) +
        Separator(QStringLiteral("其他_")) + EncodeCp936(QStringLiteral("第二\r\n")) +
        Separator(QStringLiteral("同名")) + EncodeCp936(QStringLiteral("第一\r\n"));
    EXPECT_EQ(ReadAll(ExportPath(QStringLiteral("all生活.txt"))), combined);
    EXPECT_EQ(ReadAll(ExportPath(QStringLiteral("alla_b.txt"))),
              Separator(QStringLiteral("t")) + "x\r\n");

    // A second run rewrites the combined files instead of doubling them.
    ASSERT_TRUE(WriteBytes(ExportPath(QStringLiteral("stale.txt")), "old"));
    EXPECT_EQ(pellomar::test::RunTask(ExportText(m_state)).articlesSaved, 4);
    EXPECT_EQ(ReadAll(ExportPath(QStringLiteral("all生活.txt"))), combined);
    EXPECT_FALSE(QFileInfo::exists(ExportPath(QStringLiteral("stale.txt"))));
}

TEST_F(ExportTextTest, ConvertedPageWithoutTextStillGetsItsSeparator) {
    AddArticle(QStringLiteral("空"), QStringLiteral("c"), QStringLiteral("1.html"), "");
    EXPECT_EQ(pellomar::test::RunTask(ExportText(m_state)).articlesSaved, 1);
    EXPECT_EQ(ReadAll(ExportPath(QStringLiteral("allc.txt"))),
              Separator(QStringLiteral("空")) + "\r\n");
    EXPECT_FALSE(QFileInfo::exists(ExportPath(QStringLiteral("c/空.txt"))));
}

TEST_F(ExportTextTest, NamesThatWouldLeaveTheFolderGiveNoFiles) {
    AddArticle(QStringLiteral("t"), QStringLiteral(".."), QStringLiteral("1.html"));
    AddArticle(QString(300, u'长'), QStringLiteral("c"), QStringLiteral("2.html"), "<p>long");
    EXPECT_EQ(pellomar::test::RunTask(ExportText(m_state)).articlesSaved, 1);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("博客"), QStringLiteral("博客TXT")}));
    EXPECT_EQ(QDir(ExportPath(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("allc.txt"), QStringLiteral("c")}));
    // A title too long for a file name still reaches the combined file.
    EXPECT_TRUE(ReadAll(ExportPath(QStringLiteral("allc.txt"))).endsWith("long\r\n"));
    EXPECT_EQ(QDir(ExportPath(QStringLiteral("c"))).entryList(QDir::Files), QStringList());
}

TEST_F(ExportTextTest, NothingDownloadedCountsZero) {
    AddArticle(QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("1.html"));
    EXPECT_EQ(pellomar::test::RunTask(ExportText(m_state)).articlesSaved, 0);
    EXPECT_EQ(m_captions.last(), QStringLiteral("转换TXT完成,一共0个"));
    EXPECT_TRUE(QFileInfo(ExportPath(QStringLiteral("c"))).isDir());
}

TEST_F(ExportTextTest, Utf8WritesUtf8WithLineFeeds) {
    AddArticle(QStringLiteral("标题"), QStringLiteral("c"), QStringLiteral("1.html"),
               "<p>第一</p>二");
    EXPECT_TRUE(pellomar::test::RunTask(ExportText(m_state, TextEncoding::Utf8)).ok);
    EXPECT_EQ(ReadAll(ExportPath(QStringLiteral("c/标题.txt"))), u"第一\n二\n"_qs.toUtf8());
    EXPECT_EQ(ReadAll(ExportPath(QStringLiteral("allc.txt"))),
              u"----------------   标题.txt   ----------------\n第一\n二\n"_qs.toUtf8());
}

TEST_F(ExportTextTest, WithoutATaskNothingIsMade) {
    const Outcome outcome = pellomar::test::RunTask(ExportText(m_state));
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.problem.contains(u"没有任务")) << outcome.problem.toStdString();
    EXPECT_FALSE(QFileInfo::exists(ExportPath(QString())));
}

TEST_F(ExportTextTest, ButtonsAreHeldDuringTheExportAndGivenBackAfter) {
    m_state.SetButtons({false, false, true, true, true, false});
    AddArticle(QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("1.html"), "<p>x");
    std::vector<std::array<bool, 6>> seen;
    QObject::connect(&m_state, &AppState::buttonsChanged, &m_state,
                     [this, &seen] { seen.push_back(m_state.Buttons()); });
    pellomar::test::RunTask(ExportText(m_state));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (std::array<bool, 6>{false, false, false, true, false, false}));
    EXPECT_EQ(seen[1], (std::array<bool, 6>{false, false, true, true, true, false}));
}

TEST(ExportTextFullDisk, AWriteThatFailsIsNamedAndTheExportIsNotDone) {
    test::ScopedTmpfs disk(160 * 1024, false);
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    AppState state(disk.Path());
    state.taskName = QStringLiteral("满盘");
    const TaskPaths paths{disk.Path(), state.taskName};
    ASSERT_TRUE(QDir().mkpath(paths.CategoryFolder(u"生活"_qs)));
    // 80 KB of pages that make 160 KB of texts: more than the disk has left.
    for (int row = 1; row <= 20; ++row) {
        const QString link = u"blog_" + QString::number(row) + u".html";
        ASSERT_TRUE(
            state.table().AddArticle(u"标题" + QString::number(row), u"生活"_qs, link, u"d"_qs));
        ASSERT_TRUE(WriteBytes(paths.ArticleFile(u"生活"_qs, link),
                               EncodeCp936(u"<p>" + QString(2000, QChar(u'文')) + u"</p>")));
    }
    const Outcome outcome = test::RunTask(ExportText(state));
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.problem.startsWith(u"转换TXT失败：" + disk.Path()))
        << outcome.problem.toStdString();
    EXPECT_EQ(state.Caption(), outcome.problem);
    EXPECT_LT(outcome.articlesSaved, 20);
}
