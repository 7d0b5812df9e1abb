// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/taskfile.h"
#include "platform/textstream.h"
#include "support/runtask.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pellomar {
namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A task file as the format lays it out, from a header and article blocks.
QByteArray TaskFile(const QStringList& header, const QList<QStringList>& articles) {
    QString text = u"\r\n" + header.join(QStringLiteral("\r\n")) + u"\r\n\r\n\r\n";
    for (const QStringList& article : articles)
        text += article.join(QStringLiteral("\r\n")) + u"\r\n\r\n\r\n";
    return EncodeCp936(text);
}

QStringList Article(int n, const QString& category) {
    return {QString::number(n),
            u"标题" + QString::number(n),
            category,
            u"blog_" + QString::number(n) + u".html",
            QStringLiteral("2011-08-21 10:20"),
            QStringLiteral("1")};
}

const QStringList kHeader = {QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html"),
                             QStringLiteral("0"), QStringLiteral("旧任务"), QStringLiteral("True")};

class TaskFileTest : public ::testing::Test {
  protected:
    TaskFileTest() : state(folder.path()) {}

    QString PathOf(const QString& name) { return folder.filePath(name); }

    // Three articles in categories A, B, A.
    void FillThree() {
        state.serviceKind = kHexun;
        state.taskName = QStringLiteral("我的博客");
        state.blogAddress = QStringLiteral("http://someone.blog.hexun.com");
        state.savePictures = false;
        state.table().Reset();
        state.table().AddArticle(QStringLiteral("第一篇"), QStringLiteral("甲"),
                                 QStringLiteral("1_d.html"), QStringLiteral("2011-08-21"));
        state.table().AddArticle(QStringLiteral("第二篇"), QStringLiteral("乙"),
                                 QStringLiteral("2_d.html"), QStringLiteral("2011-08-20"));
        state.table().AddArticle(QStringLiteral("第三篇"), QStringLiteral("甲"),
                                 QStringLiteral("3_d.html"), QStringLiteral("2011-08-19"));
    }

    QList<QStringList> Rows() {
        QList<QStringList> rows;
        for (int row = 1; row <= state.table().ArticleCount(); ++row) {
            QStringList cells;
            for (int column = 0; column <= ArticleTable::Mark; ++column)
                cells << state.table().Cell(row, column);
            rows << cells;
        }
        return rows;
    }

    QTemporaryDir folder;
    AppState state;
};

TEST_F(TaskFileTest, ExportWritesHeaderAndEightLinesPerArticleInCodePage936) {
    FillThree();
    ASSERT_TRUE(ExportTask(state));
    EXPECT_EQ(state.Caption(), QStringLiteral("我的博客.ini 导出成功! 放在程序目录"));
    const QString expected =
        QStringLiteral("\r\nhttp://someone.blog.hexun.com\r\n2\r\n我的博客\r\nFalse\r\n\r\n\r\n"
                       "1\r\n第一篇\r\n甲\r\n1_d.html\r\n2011-08-21\r\n1\r\n\r\n\r\n"
                       "2\r\n第二篇\r\n乙\r\n2_d.html\r\n2011-08-20\r\n1\r\n\r\n\r\n"
                       "3\r\n第三篇\r\n甲\r\n3_d.html\r\n2011-08-19\r\n2\r\n\r\n\r\n");
    EXPECT_EQ(ReadBytes(PathOf(QStringLiteral("我的博客.ini"))), EncodeCp936(expected));
    EXPECT_EQ(TaskFilePath(state), PathOf(QStringLiteral("我的博客.ini")));
}

TEST_F(TaskFileTest, ImportGivesBackTheExportedTaskRenumberedAndRecounted) {
    FillThree();
    state.table().SetMark(1, QStringLiteral("●"));
    ASSERT_TRUE(ExportTask(state));
    QList<QStringList> exported = Rows();
    exported[0][ArticleTable::Mark].clear();

    state.table().Reset();
    state.table().AddArticle(QStringLiteral("x"), QStringLiteral("乙"), QStringLiteral("x"),
                             QStringLiteral("x"));
    state.taskName = QStringLiteral("别的");
    state.serviceKind = kSina;
    state.blogAddress.clear();
    state.savePictures = true;

    ASSERT_TRUE(test::RunTask(ImportTask(state, PathOf(QStringLiteral("我的博客.ini")))));
    EXPECT_EQ(Rows(), exported);
    EXPECT_EQ(state.table().Categories().Size(), 2);
    EXPECT_EQ(state.table().Categories().names[0], QStringLiteral("甲"));
    EXPECT_EQ(state.table().Categories().counts[0], 2);
    EXPECT_EQ(state.taskName, QStringLiteral("我的博客"));
    EXPECT_EQ(state.serviceKind, kHexun);
    EXPECT_EQ(state.blogAddress, QStringLiteral("http://someone.blog.hexun.com"));
    EXPECT_FALSE(state.savePictures);
    EXPECT_EQ(state.Caption(), QStringLiteral("导入和讯: 我的博客 成功! 请按下载开始"));
    EXPECT_EQ(state.Buttons(), (std::array<bool, 6>{true, true, false, true, false, true}));
}

TEST_F(TaskFileTest, ImportOf250ArticlesCountsToTheEndAndYieldsAtArticles100And200) {
    QList<QStringList> articles;
    for (int n = 1; n <= 250; ++n)
        articles << Article(n, n % 2 ? QStringLiteral("单") : QStringLiteral("双"));
    WriteBytes(PathOf(QStringLiteral("t.ini")), TaskFile(kHeader, articles));

    QStringList captions;
    // Each caption change also posts a probe; the probes run only when the import lets the
    // event loop run, and record where it stood then.
    QSet<QString> seenAtYields;
    QObject::connect(&state, &AppState::captionChanged, &state, [&](const QString& text) {
        captions << text;
        QMetaObject::invokeMethod(
            &state, [&] { seenAtYields.insert(state.Caption()); }, Qt::QueuedConnection);
    });
    const bool imported = bool(test::RunTask(ImportTask(state, PathOf(QStringLiteral("t.ini")))));
    QCoreApplication::processEvents();

    ASSERT_TRUE(imported);
    EXPECT_EQ(state.table().ArticleCount(), 250);
    ASSERT_EQ(captions.size(), 251);
    EXPECT_EQ(captions.first(), QStringLiteral("导入任务：2/251"));
    EXPECT_EQ(captions[249], QStringLiteral("导入任务：251/251"));
    EXPECT_EQ(captions.last(), QStringLiteral("导入新浪: 旧任务 成功! 请按下载开始"));
    seenAtYields.remove(captions.last());
    EXPECT_EQ(seenAtYields, (QSet<QString>{QStringLiteral("导入任务：100/251"),
                                           QStringLiteral("导入任务：200/251")}));
    EXPECT_EQ(state.table().Cell(250, ArticleTable::Ordinal), QStringLiteral("125"));
}

TEST_F(TaskFileTest, FlagIsReadWithoutRegardToLetterCase) {
    for (const auto& [flag, expected] :
         {std::pair{QStringLiteral("False"), false}, std::pair{QStringLiteral("false"), false},
          std::pair{QStringLiteral("TRUE"), true}, std::pair{QStringLiteral("True"), true}}) {
        QStringList header = kHeader;
        header[3] = flag;
        WriteBytes(PathOf(QStringLiteral("f.ini")),
                   TaskFile(header, {Article(1, QStringLiteral("a"))}));
        state.savePictures = !expected;
        ASSERT_TRUE(test::RunTask(ImportTask(state, PathOf(QStringLiteral("f.ini")))));
        EXPECT_EQ(state.savePictures, expected) << flag.toStdString();
    }
}

TEST_F(TaskFileTest, AFileThatLostItsTrailingBlankLinesKeepsItsLastArticle) {
    QByteArray bytes =
        TaskFile(kHeader, {Article(1, QStringLiteral("a")), Article(2, QStringLiteral("b"))});
    bytes.chop(4);
    WriteBytes(PathOf(QStringLiteral("t.ini")), bytes);
    ASSERT_TRUE(test::RunTask(ImportTask(state, PathOf(QStringLiteral("t.ini")))));
    EXPECT_EQ(state.table().ArticleCount(), 2);
    EXPECT_EQ(state.table().Cell(2, ArticleTable::Link), QStringLiteral("blog_2.html"));
}

TEST_F(TaskFileTest, MalformedFilesAreRefusedAndTheCurrentTaskStaysAsItWas) {
    auto withHeader = [](int line, const QString& value) {
        QStringList header = kHeader;
        header[line] = value;
        return TaskFile(header, {Article(1, QStringLiteral("a"))});
    };
    QStringList shortArticle = Article(2, QStringLiteral("a"));
    shortArticle.removeAt(1);
    const QByteArray good = TaskFile(kHeader, {Article(1, QStringLiteral("a"))});

    const QList<std::pair<const char*, QByteArray>> cases = {
        {"empty file", QByteArray()},
        {"header lines missing", TaskFile(kHeader.mid(0, 3), {})},
        {"no empty first line", good.mid(2)},
        {"service beyond 255", withHeader(1, QStringLiteral("256"))},
        {"service not a number", withHeader(1, QStringLiteral("新浪"))},
        {"flag neither True nor False", withHeader(3, QStringLiteral("Yes"))},
        {"a block one line short",
         TaskFile(kHeader, {Article(1, QStringLiteral("a")), shortArticle})},
        {"bytes that are no GBK", good + "\x81\x20\r\n"},
        {"four-byte GB18030", TaskFile(kHeader, {}) + "\x81\x30\x81\x30\r\n"},
        {"line feeds only", QByteArray(good).replace("\r\n", "\n")},
        {"task name with a slash", withHeader(2, QStringLiteral("a/b"))},
    };

    FillThree();
    state.SetButtons({true, false, true, true, true, false});
    const QList<QStringList> rows = Rows();
    int messages = 0;
    QObject::connect(&state, &AppState::messageShown, &state, [&messages] { ++messages; });

    auto expectUnchanged = [&](const std::string& what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Rows(), rows);
        EXPECT_EQ(state.taskName, QStringLiteral("我的博客"));
        EXPECT_EQ(state.serviceKind, kHexun);
        EXPECT_EQ(state.blogAddress, QStringLiteral("http://someone.blog.hexun.com"));
        EXPECT_FALSE(state.savePictures);
        EXPECT_EQ(state.Buttons(), (std::array<bool, 6>{true, false, true, true, true, false}));
        EXPECT_TRUE(state.Caption().startsWith(u"导入失败：")) << state.Caption().toStdString();
        EXPECT_TRUE(state.Caption().contains(QDir::toNativeSeparators(folder.path())));
    };
    for (const auto& [what, bytes] : cases) {
        WriteBytes(PathOf(QStringLiteral("bad.ini")), bytes);
        EXPECT_FALSE(test::RunTask(ImportTask(state, PathOf(QStringLiteral("bad.ini")))));
        expectUnchanged(what);
    }
    EXPECT_FALSE(test::RunTask(ImportTask(state, PathOf(QStringLiteral("missing.ini")))));
    expectUnchanged("missing file");

    QFile huge(PathOf(QStringLiteral("huge.ini")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(64LL * 1024 * 1024 + 1));
    huge.close();
    EXPECT_FALSE(test::RunTask(ImportTask(state, huge.fileName())));
    expectUnchanged("huge file");
    EXPECT_EQ(messages, cases.size() + 2);
}

TEST_F(TaskFileTest, ServiceNumbersUpTo255AndExtraLinesAreImported) {
    QStringList header = kHeader;
    header[1] = QStringLiteral("255");
    header.append(QStringLiteral("a line no one reads"));
    QStringList longArticle = Article(2, QStringLiteral("a"));
    longArticle.append(QStringLiteral("extra"));
    WriteBytes(PathOf(QStringLiteral("x.ini")),
               TaskFile(header, {Article(1, QStringLiteral("a")), longArticle}));
    ASSERT_TRUE(test::RunTask(ImportTask(state, PathOf(QStringLiteral("x.ini")))));
    EXPECT_EQ(state.serviceKind, 255);
    EXPECT_EQ(state.table().ArticleCount(), 2);
    EXPECT_EQ(state.table().Cell(2, ArticleTable::Link), u"blog_2.html");
}

TEST_F(TaskFileTest, RefusedMessagesNameTheProblem) {
    QStringList header = kHeader;
    header[1] = QStringLiteral("300");
    WriteBytes(PathOf(QStringLiteral("s.ini")), TaskFile(header, {}));
    EXPECT_FALSE(test::RunTask(ImportTask(state, PathOf(QStringLiteral("s.ini")))));
    EXPECT_TRUE(state.Caption().contains(u"博客类型")) << state.Caption().toStdString();
    EXPECT_TRUE(state.Caption().contains(u"“300”"));

    QStringList shortArticle = Article(2, QStringLiteral("a"));
    shortArticle.removeLast();
    WriteBytes(PathOf(QStringLiteral("s.ini")),
               TaskFile(kHeader, {Article(1, QStringLiteral("a")), shortArticle}));
    EXPECT_FALSE(test::RunTask(ImportTask(state, PathOf(QStringLiteral("s.ini")))));
    EXPECT_TRUE(state.Caption().contains(u"第2篇文章")) << state.Caption().toStdString();
}

TEST_F(TaskFileTest, ExportWritesEveryRowItCanCarryAndNamesWhatItChanged) {
    const QString path = PathOf(QStringLiteral("我的博客.ini"));
    FillThree();
    state.table().AddArticle(QStringLiteral("笑\U0001F600"), QStringLiteral("甲"),
                             QStringLiteral("4_d.html"), QStringLiteral("d"));
    state.table().AddArticle(QStringLiteral("上\r\n下"), QStringLiteral("乙"),
                             QStringLiteral("5_d.html"), QStringLiteral("d"));
    state.table().AddArticle(QStringLiteral("日期空"), QStringLiteral("乙"),
                             QStringLiteral("6_d.html"), QString());
    const Outcome exported = ExportTask(state);
    ASSERT_TRUE(exported);
    EXPECT_EQ(exported.notes,
              (QStringList{u"第4篇文章的标题含有GBK编码不能保存的字符，已写作“?”"_qs,
                           u"第5篇文章的标题含有换行，已换成空格"_qs,
                           u"第6篇文章的日期是空的，未导出这篇"_qs}));
    EXPECT_EQ(state.Caption(), u"我的博客.ini 导出成功! 放在程序目录（3处不能照原样保存）");
    ASSERT_TRUE(test::RunTask(ImportTask(state, path)));
    ASSERT_EQ(state.table().ArticleCount(), 5);
    EXPECT_EQ(state.table().Cell(4, ArticleTable::Title), u"笑?");
    EXPECT_EQ(state.table().Cell(5, ArticleTable::Title), u"上 下");

    state.blogAddress = QStringLiteral("http://a\nb");
    const QByteArray before = ReadBytes(path);
    EXPECT_FALSE(ExportTask(state));
    EXPECT_EQ(ReadBytes(path), before);

    state.taskName = QStringLiteral("../逃出去");
    EXPECT_FALSE(ExportTask(state));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("../逃出去.ini"))));
}

} // namespace
} // namespace pellomar
