// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articletable.h"
#include "core/filenames.h"
#include "download/downloadlog.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {
QString S(const char16_t* text) {
    return QString::fromUtf16(text);
}
} // namespace

TEST(SafeFileName, NbspVanishesWholeWhileOtherEntitiesKeepTheirLetters) {
    EXPECT_EQ(SafeFileName(S(u"a&nbsp;b")), S(u"ab"));
    EXPECT_EQ(SafeFileName(S(u"a&amp;b")), S(u"a_amp_b"));
    EXPECT_EQ(SafeFileName(S(u"&NBSP;")), S(u"_NBSP_"));
    // One pass only: an "&nbsp;" formed by the removal is cleaned like any other entity.
    EXPECT_EQ(SafeFileName(S(u"&&nbsp;nbsp;")), S(u"_nbsp_"));
}

TEST(SafeFileName, AddressBecomesOneFlatName) {
    EXPECT_EQ(SafeFileName(S(u"http://img.example.com/a/b.jpg?x=1&y=2")),
              S(u"http___img.example.com_a_b.jpg_x=1_y=2"));
    EXPECT_EQ(SafeFileName(S(u"a\\b+c#d;e f*g")), S(u"a_b_c_d_e_f_g"));
}

TEST(SafeFileName, MarkupCharactersAndQuotesVanish) {
    EXPECT_EQ(SafeFileName(S(u"<b>50%</b>")), S(u"b50_b"));
    EXPECT_EQ(SafeFileName(S(u"\"Hello\" world")), S(u"Hello_world"));
    EXPECT_EQ(SafeFileName(S(u"%<>\"\"%")), QString());
    EXPECT_EQ(SafeFileName(QString()), QString());
}

TEST(SafeFileName, LeavesEverythingElseAlone) {
    const QString untouched = S(u"中文-标题.=|'，：？（）\t\r\n①");
    EXPECT_EQ(SafeFileName(untouched), untouched);
}

TEST(SafeFileName, IsIdempotent) {
    for (const QString& text :
         {S(u"&nbsp;&amp;<b>x</b> ?/\\:+#;*%\"y"), S(u"&&nbsp;nbsp;"), S(u"a &nbsp ;b")}) {
        const QString once = SafeFileName(text);
        EXPECT_EQ(SafeFileName(once), once) << once.toStdString();
    }
}

TEST(IsSafePathComponent, RefusesWhatCouldLeaveTheFolder) {
    EXPECT_TRUE(IsSafePathComponent(S(u"blog_123.html")));
    EXPECT_TRUE(IsSafePathComponent(S(u"...")));
    EXPECT_TRUE(IsSafePathComponent(QString(85, QChar(0x4E2D)))); // 255 bytes in UTF-8
    EXPECT_FALSE(IsSafePathComponent(QString(86, QChar(0x4E2D))));
    EXPECT_FALSE(IsSafePathComponent(QString(256, u'a')));
    const QString withNul = S(u"a") + QChar(u'\0') + S(u"b");
    for (const QString& name :
         QStringList{QString(), S(u"."), S(u".."), S(u"a/b"), S(u"a\\b"), S(u"/"), withNul})
        EXPECT_FALSE(IsSafePathComponent(name)) << name.toStdString();
}

TEST(TaskPaths, BuildsPathsInsideTheTaskFolder) {
    const TaskPaths paths{S(u"/prog"), S(u"myblog")};
    EXPECT_EQ(paths.TaskFolder(), S(u"/prog/myblog"));
    EXPECT_EQ(paths.CategoryFolder(S(u"默认 分类")), S(u"/prog/myblog/默认_分类"));
    EXPECT_EQ(paths.ArticleFile(S(u"a/b"), S(u"blog_1.html")), S(u"/prog/myblog/a_b/blog_1.html"));
    EXPECT_EQ(paths.InTaskFolder(S(u"index.html")), S(u"/prog/myblog/index.html"));
    EXPECT_EQ(paths.PictureFile(S(u"c"), S(u"http://x/y.jpg")),
              S(u"/prog/myblog/c/http___x_y.jpg"));
}

TEST(TaskPaths, UnsafePartsGiveTheEmptyPath) {
    for (const QString& task : {S(u".."), QString(), S(u"a/b"), S(u"."), S(u"a\\b")}) {
        const TaskPaths paths{S(u"/prog"), task};
        EXPECT_TRUE(paths.TaskFolder().isEmpty()) << task.toStdString();
        EXPECT_TRUE(paths.InTaskFolder(S(u"index.html")).isEmpty());
        EXPECT_TRUE(paths.ArticleFile(S(u"c"), S(u"x.html")).isEmpty());
    }
    const TaskPaths paths{S(u"/prog"), S(u"blog")};
    // The cleaner keeps dots, so a category of dots alone is no folder.
    EXPECT_TRUE(paths.CategoryFolder(S(u"..")).isEmpty());
    EXPECT_TRUE(paths.PictureFile(S(u".."), S(u"a.jpg")).isEmpty());
    // An empty name is no way out: its files lie in the task folder itself.
    EXPECT_EQ(paths.CategoryFolder(QString()), paths.TaskFolder());
    // The link cell is used as it stands, so it is checked rather than cleaned.
    for (const QString& link : {S(u"../x.html"), S(u"a/b.html"), S(u".."), QString()})
        EXPECT_TRUE(paths.ArticleFile(S(u"c"), link).isEmpty()) << link.toStdString();
    EXPECT_TRUE(paths.InTaskFolder(S(u"../all.htm")).isEmpty());
    const TaskPaths noProgramFolder{QString(), S(u"blog")};
    EXPECT_TRUE(noProgramFolder.TaskFolder().isEmpty());
}

TEST(TaskPaths, ACategoryNamedEmptyKeepsItsFilesInTheTaskFolderBesideNoOtherFile) {
    ArticleTable table;
    for (const QString& category : {S(u"日记"), S(u"&nbsp;"), S(u"x.htm")})
        table.AddArticle(S(u"t"), category, S(u"1.html"), S(u"d"));
    const TaskPaths paths{S(u"/prog"), S(u"博客"), &table};
    const QString empty = S(u"&nbsp;");
    EXPECT_EQ(paths.CategoryFolder(empty), S(u"/prog/博客"));
    EXPECT_EQ(paths.ArticleFile(empty, S(u"blog_1.html")), S(u"/prog/博客/blog_1.html"));
    EXPECT_EQ(paths.PictureFile(empty, S(u"http://x/y.jpg")), S(u"/prog/博客/http___x_y.jpg"));
    // Near misses stay: a page number never begins with 0, "日记1" is no category.
    for (const QString& link : {S(u"日记01.htm"), S(u"日记1"), S(u"03.htm"), S(u"x.html")})
        EXPECT_FALSE(paths.ArticleFile(empty, link).isEmpty()) << link.toStdString();
    for (const QString& link :
         {S(u"INDEX.html"), S(u"all.htm"), S(u"blog.hhc"), S(u"blog.chm"), S(u"日记"),
          S(u"日记.htm"), S(u"日记12.htm"), S(u"x.htm"), S(u"x.htm3.htm"), S(u".htm"), S(u"3.htm")})
        EXPECT_TRUE(paths.ArticleFile(empty, link).isEmpty()) << link.toStdString();
    // Other categories' files are not the task folder's.
    EXPECT_EQ(paths.ArticleFile(S(u"日记"), S(u"index.html")), S(u"/prog/博客/日记/index.html"));
    EXPECT_EQ(CategoryRelativePath(QString(), S(u"a.html"), u'\\'), S(u"a.html"));
    EXPECT_EQ(CategoryRelativePath(S(u"日记"), S(u"a.html"), u'\\'), S(u"日记\\a.html"));
}

TEST(TaskPaths, PictureNamesAreAtMostAHundredCharactersAndLongAddressesNeverShareOne) {
    const QString shortAddress = S(u"http://s1.sinaimg.cn/middle/abc&amp;690");
    EXPECT_EQ(TaskPaths::PictureName(shortAddress), SafeFileName(shortAddress));
    const QString address = S(u"http://p.example.com/") + QString(200, u'x');
    const QString name = TaskPaths::PictureName(address);
    EXPECT_EQ(name.size(), 100);
    EXPECT_TRUE(name.startsWith(SafeFileName(address).left(91)));
    EXPECT_NE(TaskPaths::PictureName(address + u'y'), name);
    EXPECT_EQ(TaskPaths::PictureName(address), name);
    // A surrogate pair is never cut in half.
    const QString emoji = QString(90, u'a') + S(u"😀") + QString(20, u'b');
    EXPECT_TRUE(TaskPaths::PictureName(emoji).startsWith(QString(90, u'a') + u'_'));
}

TEST(CategoryFileNames, OnlyNamesWhoseFilesWouldMeetAreMadeUnique) {
    const QStringList categories = {S(u"日记"), S(u"日记1"), S(u"index.html"), S(u"all"),
                                    S(u"201"),  S(u"2011"),  S(u"c50"),        S(u"c500"),
                                    S(u"a b"),  S(u"a_b")};
    const QHash<QString, QString> names = CategoryFileNames(categories);
    const QStringList expected = {S(u"日记"), S(u"日记1_2"), S(u"index.html_2"), S(u"all_2"),
                                  S(u"201"),  S(u"2011_2"),  S(u"c50"),          S(u"c500"),
                                  S(u"a_b"),  S(u"a_b_2")};
    for (qsizetype i = 0; i < categories.size(); ++i)
        EXPECT_EQ(names.value(categories[i]), expected[i]) << categories[i].toStdString();

    ArticleTable table;
    table.AddArticle(S(u"t"), S(u"all"), S(u"1.html"), S(u"d"));
    const TaskPaths paths{S(u"/prog"), S(u"博客"), &table};
    EXPECT_EQ(paths.CategoryFolder(S(u"all")), S(u"/prog/博客/all_2"));
}

TEST(AppendLog, WritesTimedCp936LinesInCallOrder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AppendLog(dir.path(), S(u"添加到列表:http://a/1.jpg"));
    AppendLog(dir.path(), S(u"下载成功 😀"));
    QFile file(dir.filePath(kDownloadLogName));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].isEmpty());
    // In code page 936; the emoji cannot be held and becomes "?".
    const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d $"));
    EXPECT_TRUE(time.match(QString::fromLatin1(lines[0].left(9))).hasMatch());
    EXPECT_TRUE(time.match(QString::fromLatin1(lines[1].left(9))).hasMatch());
    EXPECT_EQ(lines[0].mid(9),
              QByteArray("\xCC\xED\xBC\xD3\xB5\xBD\xC1\xD0\xB1\xED:http://a/1.jpg\r"));
    EXPECT_EQ(lines[1].mid(9), QByteArray("\xCF\xC2\xD4\xD8\xB3\xC9\xB9\xA6 ?\r"));
}

TEST(AppendLog, UnwritableFolderIsIgnored) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("no/such/folder"));
    AppendLog(missing, S(u"超时放弃:x"));
    AppendLog(QString(), S(u"超时放弃:x"));
    EXPECT_FALSE(QFile::exists(missing + u'/' + kDownloadLogName));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}
