// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/filenames.h"
#include "download/indexpages.h"
#include "downloadtesthelpers.h"
#include "support/runtask.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

const QString kHeader1 =
    QStringLiteral("<center><table border=1 width=90% bordercolordark=#F0fFFF cellspacing=0 "
                   "bordercolor=#800000>");
const QString kHeader3 = QStringLiteral(
    "<style type= Text/css><!--.style4 {margin-top : 2px; padding-bottom : 2px; margin-bottom : "
    "1px; margin-left : 15px; margin-right : 10px; font-size : 14px; font-family : "
    "Tahoma,Verdana,Arial; color: #000000;}--></style>");

class IndexPages : public ::testing::Test {
  protected:
    IndexPages() : state(dir.path()) {
        state.taskName = QStringLiteral("我的博客");
        state.blogAddress = QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html");
        QDir().mkdir(Paths().TaskFolder());
    }

    // Adds `count` articles of one category, each with an article file of `bytes` bytes.
    void AddArticles(const QString& category, int count, qint64 bytes = 1250) {
        for (int i = 0; i < count; ++i) {
            const int row = state.table().ArticleCount() + 1;
            const QString link = u"blog_" + QString::number(row) + u".html";
            ASSERT_TRUE(state.table().AddArticle(u"第" + QString::number(row) + u"篇", category,
                                                 link, QStringLiteral("2011-08-21 10:20")));
            const QString file = Paths().ArticleFile(category, link);
            if (!file.isEmpty())
                WriteBytes(file, QByteArray(bytes, 'x'));
        }
    }
    TaskPaths Paths() const { return {state.programFolder(), state.taskName}; }
    QString InTask(const QString& name) const { return Paths().InTaskFolder(name); }
    void Write() { RunTask(WriteIndexPages(state, QDateTime(QDate(2011, 8, 21), QTime(6, 6, 7)))); }

    QTemporaryDir dir;
    AppState state;
};

} // namespace

TEST(IndexSizeText, KilobytesOfAThousandBytesRoundHalfToEven) {
    EXPECT_EQ(SizeText(1250), u"1.2");
    EXPECT_EQ(SizeText(1350), u"1.4");
    EXPECT_EQ(SizeText(1260), u"1.3");
    EXPECT_EQ(SizeText(1249), u"1.2");
    EXPECT_EQ(SizeText(999), u"1");
    EXPECT_EQ(SizeText(40), u"0");
    EXPECT_EQ(SizeText(50), u"0");
    EXPECT_EQ(SizeText(150), u"0.2");
    EXPECT_EQ(SizeText(0), u"0");
    EXPECT_EQ(SizeText(100000), u"100");
    EXPECT_EQ(SizeText(12345678), u"12345.7");
}

TEST_F(IndexPages, FortyFiveArticlesAtTwentyAPageMakeThreePagesWithNavigationOnFullOnes) {
    AddArticles(QStringLiteral("游记/旅行"), 45);
    Write();
    const QString cat = QStringLiteral("游记_旅行");

    const QStringList page1 = FileLines(InTask(cat + u"1.htm"));
    ASSERT_EQ(page1.size(), 3 + 20 + 1);
    EXPECT_EQ(page1[0], kHeader1);
    EXPECT_EQ(page1[1], u"<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>游记_旅行"
                        u"</font></td></tr>");
    EXPECT_EQ(page1[2], kHeader3);
    EXPECT_EQ(page1[3], u"<tr><td width=3%>1</td><td ><p class= style4><A href=游记_旅行\\blog_1."
                        u"html>第1篇</a></td><td width=15%>2011-08-21 10:20 </td><td "
                        u"width=6%>1.2KB</td><tr>");
    EXPECT_EQ(page1[23], u"<center> <A href=游记_旅行0.htm> </table>←上一页</a>&nbsp;&nbsp;<A "
                         u"href=游记_旅行2.htm>下一页→</a>");

    const QStringList page2 = FileLines(InTask(cat + u"2.htm"));
    ASSERT_EQ(page2.size(), 24);
    EXPECT_TRUE(page2[3].startsWith(u"<tr><td width=3%>1</td>"));
    EXPECT_TRUE(page2[3].contains(u"blog_21.html>第21篇</a>"));
    EXPECT_EQ(page2[23], u"<center> <A href=游记_旅行1.htm> </table>←上一页</a>&nbsp;&nbsp;<A "
                         u"href=游记_旅行3.htm>下一页→</a>");

    const QStringList page3 = FileLines(InTask(cat + u"3.htm"));
    ASSERT_EQ(page3.size(), 3 + 5);
    EXPECT_TRUE(page3[7].startsWith(u"<tr><td width=3%>5</td>"));
    EXPECT_FALSE(page3.join(u'\n').contains(u"</table>"));
    EXPECT_FALSE(QFileInfo::exists(InTask(cat + u"4.htm")));

    const QStringList list = FileLines(InTask(cat + u".htm"));
    ASSERT_EQ(list.size(), 3 + 45);
    EXPECT_EQ(list[47], u"<tr><td width=3%>45</td><td ><p class= style4><A href=游记_旅行\\blog_45."
                        u"html>第45篇</a></td><td width=15%>2011-08-21 10:20 </td><td "
                        u"width=6%>1.2KB</td><tr>");

    const QStringList index = FileLines(InTask(QStringLiteral("index.html")));
    const QStringList expected = {
        QStringLiteral("<center><table  width=90% border=1 bordercolordark=#dddddd cellspacing=0 "
                       "bordercolor=#90aaaa>"),
        QStringLiteral("<tr><td bgcolor=#80F0FF align=center colspan=5><font size=5><a "
                       "target=_blank  href=http://blog.sina.com.cn/s/articlelist_1_0_1.html>"
                       "我的博客</a></font></td></tr>"),
        QStringLiteral("<style type= Text/css><!--.style4 {margin-top : 5px; padding-bottom : "
                       "5px; margin-bottom : 0px; margin-left : 5px; margin-right : 5px; "
                       "font-size : 14px; font-family : Tahoma,Verdana,Arial; color: "
                       "#000000;}--></style>"),
        QStringLiteral("<tr><td width=5%><center>所有</center></td><td width=28% ><p class= "
                       "style4><A title=点此查看所有文章 target=_blank href=all.htm><b>全部清单"
                       "</a></b>(45)</td><td><---点击左边查看所有文章按日期排序。  更新日期："
                       "2011-8-21[6:06:07]</td>"),
        QStringLiteral("<tr><td width=5%><center>1</center></td><td width=28% ><p class= "
                       "style4><A title=游记/旅行 target=_blank href=游记_旅行.htm><b>游记/旅行"
                       "</a></b>(45)</td><td>"),
        QStringLiteral("<A href=游记_旅行1.htm><b>1</b></a>"),
        QStringLiteral("<A href=游记_旅行2.htm><b>2</b></a>"),
        QStringLiteral("<A href=游记_旅行3.htm><b>3</b></a>"),
        QStringLiteral("</td></tr>"),
    };
    EXPECT_EQ(index, expected);

    const QStringList all = FileLines(InTask(QStringLiteral("all.htm")));
    ASSERT_EQ(all.size(), 3 + 45);
    EXPECT_EQ(all[0], u"<center><table border=1 width=90% bordercolordark=#F0fFFF cellspacing=0 "
                      u"bordercolor=#808000>");
    EXPECT_EQ(all[1], u"<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>全部清单"
                      u"</font></td></tr>");
    EXPECT_EQ(all[3], u"<tr><td width=5%>1</td><td ><p class= style4><A target=_blank "
                      u"href=游记_旅行\\blog_1.html>第1篇</a></td><td width=25%>游记_旅行 "
                      u"</td><td width=15%>2011-08-21 10:20</td><td width=6%>1.2KB</td><tr>");
}

TEST_F(IndexPages, FilesAreCodePage936WithCrLfLineEnds) {
    AddArticles(QStringLiteral("游记"), 5);
    Write();
    for (const QString& name : {u"游记1.htm"_qs, u"游记.htm"_qs, u"all.htm"_qs, u"index.html"_qs}) {
        const QByteArray bytes = ReadBytes(InTask(name));
        ASSERT_FALSE(bytes.isEmpty()) << name.toStdString();
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
        // "游记" in GBK.
        if (name != u"index.html") {
            EXPECT_TRUE(bytes.contains("\xd3\xce\xbc\xc7")) << name.toStdString();
        }
    }
    EXPECT_TRUE(ReadBytes(InTask(u"index.html"_qs)).contains("\xcb\xf9\xd3\xd0")); // 所有
}

TEST_F(IndexPages, ExactlyOneFullPageLinksToPagesZeroAndTwo) {
    AddArticles(QStringLiteral("随笔"), 20);
    Write();
    const QStringList page1 = FileLines(InTask(u"随笔1.htm"_qs));
    ASSERT_EQ(page1.size(), 24);
    EXPECT_EQ(page1.last(), u"<center> <A href=随笔0.htm> </table>←上一页</a>&nbsp;&nbsp;<A "
                            u"href=随笔2.htm>下一页→</a>");
    EXPECT_FALSE(QFileInfo::exists(InTask(u"随笔2.htm"_qs)));
    const QString index = ReadCp936(InTask(u"index.html"_qs));
    EXPECT_TRUE(index.contains(u"<A href=随笔1.htm><b>1</b></a>"));
    EXPECT_FALSE(index.contains(u"随笔2.htm"));
}

TEST_F(IndexPages, LongCategoryNameShowsThirtyCharactersButKeepsTheWholeTitle) {
    const QString name = QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五六七八"
                                        "九十 和 更多?");
    ASSERT_GT(name.size(), 30);
    AddArticles(name, 5);
    Write();
    const QStringList index = FileLines(InTask(u"index.html"_qs));
    ASSERT_EQ(index.size(), 4 + 3);
    EXPECT_EQ(index[4], u"<tr><td width=5%><center>1</center></td><td width=28% ><p class= "
                        u"style4><A title=" +
                            name + u" target=_blank href=" + SafeFileName(name) + u".htm><b>" +
                            name.left(30) + u"</a></b>(5)</td><td>");
    EXPECT_EQ(index[5], u"<A href=" + SafeFileName(name) + u"1.htm><b>1</b></a>");
    EXPECT_TRUE(QFileInfo::exists(InTask(SafeFileName(name) + u"1.htm")));
}

TEST_F(IndexPages, RowsShowTheirOwnFileSizes) {
    const QList<qint64> sizes = {1250, 1260, 999, 40, 0};
    const QStringList shown = {u"1.2KB"_qs, u"1.3KB"_qs, u"1KB"_qs, u"0KB"_qs, u"0KB"_qs};
    for (qint64 bytes : sizes)
        AddArticles(QStringLiteral("杂"), 1, bytes);
    // The last row's file is missing: it shows 0 KB and the pages are still written.
    QFile::remove(Paths().ArticleFile(u"杂"_qs, u"blog_5.html"_qs));
    Write();
    const QStringList page = FileLines(InTask(u"杂1.htm"_qs));
    const QStringList all = FileLines(InTask(u"all.htm"_qs));
    ASSERT_EQ(page.size(), 3 + 5);
    ASSERT_EQ(all.size(), 3 + 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(page[3 + i].endsWith(u"<td width=6%>" + shown[i] + u"</td><tr>")) << i;
        EXPECT_TRUE(all[3 + i].endsWith(u"<td width=6%>" + shown[i] + u"</td><tr>")) << i;
    }
}

TEST_F(IndexPages, NoCategoriesGiveTheHeaderAndTheFullListLineOnly) {
    // Rows without a category keep their files in the task folder, linked by bare name.
    AddArticles(QString(), 5);
    Write();
    const QStringList index = FileLines(InTask(u"index.html"_qs));
    ASSERT_EQ(index.size(), 4);
    EXPECT_TRUE(index[3].startsWith(u"<tr><td width=5%><center>所有</center>"));
    EXPECT_TRUE(index[3].contains(u"全部清单</a></b>(5)</td>"));
    const QString line = FileLines(InTask(u"all.htm"_qs))[3];
    EXPECT_TRUE(line.contains(u" href=blog_1.html>"));
    EXPECT_TRUE(line.endsWith(u"<td width=6%>1.2KB</td><tr>"));
}

TEST_F(IndexPages, ASecondRunRewritesEveryIndexFileWhole) {
    AddArticles(QStringLiteral("甲"), 3);
    AddArticles(QStringLiteral("乙"), 2);
    Write();
    const QStringList names = FilesBelow(Paths().TaskFolder());
    QList<QByteArray> first;
    for (const QString& name : names)
        first.append(ReadBytes(InTask(name)));
    Write();
    EXPECT_EQ(FilesBelow(Paths().TaskFolder()), names);
    for (qsizetype i = 0; i < names.size(); ++i)
        EXPECT_EQ(ReadBytes(InTask(names[i])), first[i]) << names[i].toStdString();
    EXPECT_EQ(FileLines(InTask(u"甲1.htm"_qs)).size(), 3 + 3);
    EXPECT_EQ(FileLines(InTask(u"all.htm"_qs)).size(), 3 + 5);
    const QStringList index = FileLines(InTask(u"index.html"_qs));
    ASSERT_EQ(index.size(), 4 + 3 + 3);
    EXPECT_TRUE(index[7].contains(u"<center>2</center>"));
    EXPECT_TRUE(index[7].contains(u"href=乙.htm><b>乙</a></b>(2)"));
}

TEST_F(IndexPages, PerPageOutsideOneTo255CountsAsTwenty) {
    AddArticles(QStringLiteral("甲"), 21);
    const auto freshTaskFolder = [this] {
        const QString folder = Paths().TaskFolder();
        ASSERT_TRUE(folder.startsWith(dir.path() + u'/'));
        QDir(folder).removeRecursively();
        for (int row = 1; row <= 21; ++row)
            WriteBytes(Paths().ArticleFile(u"甲"_qs, u"blog_" + QString::number(row) + u".html"),
                       "12345");
    };
    for (const QString& text : {u"0"_qs, u"abc"_qs, u"256"_qs, u""_qs}) {
        state.SetPerPageText(text);
        freshTaskFolder();
        Write();
        EXPECT_EQ(FileLines(InTask(u"甲1.htm"_qs)).size(), 24) << text.toStdString();
        EXPECT_EQ(FileLines(InTask(u"甲2.htm"_qs)).size(), 4) << text.toStdString();
    }
    state.SetPerPageText(u"7"_qs);
    freshTaskFolder();
    Write();
    EXPECT_EQ(FileLines(InTask(u"甲3.htm"_qs)).size(), 3 + 7 + 1);
    EXPECT_FALSE(QFileInfo::exists(InTask(u"甲4.htm"_qs)));
    EXPECT_TRUE(ReadCp936(InTask(u"index.html"_qs)).contains(u"<A href=甲3.htm><b>3</b></a>"));
}

TEST_F(IndexPages, MarkupInATitleOfAnEditedTaskFileIsShownAsText) {
    ASSERT_TRUE(state.table().AddArticle(u"<script>alert(1)</script>"_qs, u"杂"_qs,
                                         u"blog_1.html"_qs, u"<b>2011</b>"_qs));
    Write();
    for (const QString& page : {u"all.htm"_qs, u"杂1.htm"_qs, u"杂.htm"_qs}) {
        const QString text = FileLines(InTask(page)).join(u'\n');
        EXPECT_FALSE(text.contains(u"<script>")) << page.toStdString();
        EXPECT_TRUE(text.contains(u"&lt;script&gt;alert(1)&lt;/script&gt;")) << page.toStdString();
        EXPECT_TRUE(text.contains(u"&lt;b&gt;2011&lt;/b&gt;")) << page.toStdString();
    }
}
