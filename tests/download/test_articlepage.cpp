// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/filenames.h"
#include "download/articlepage.h"
#include "download/downloadsteps.h"
#include "downloadtesthelpers.h"
#include "support/runtask.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

const QString kSinaStart = QStringLiteral("<!-- 正文开始 -->");
const QString kSinaEnd = QStringLiteral("<!-- 正文结束 -->");

class ArticlePage : public ::testing::Test {
  protected:
    ArticlePage() : state(dir.path()) {
        state.serviceKind = kSina;
        state.taskName = QStringLiteral("任务");
        for (int row = 1; row <= 12; ++row)
            state.table().AddArticle(u"标题" + QString::number(row), QStringLiteral("分类 甲"),
                                     u"blog_" + QString::number(row) + u".html",
                                     QStringLiteral("2011-08-21 10:20"));
        QDir().mkdir(Paths().TaskFolder());
    }

    TaskPaths Paths() const { return {state.programFolder(), state.taskName}; }
    QString File(int row) {
        return Paths().ArticleFile(state.table().Cell(row, ArticleTable::Category),
                                   state.table().Cell(row, ArticleTable::Link));
    }
    QString Mark(int row) { return state.table().Cell(row, ArticleTable::Mark); }
    // As the driver does: the row is marked done before its page is processed.
    void Process(int row, const QString& page, bool errorAnswer = false) {
        state.table().SetMark(row, kMarkDone);
        ProcessArticlePage(state, page, row, errorAnswer);
    }
    QString SinaPage(const QString& body) const {
        return u"<html><head>头</head>" + kSinaStart + body + kSinaEnd + u"<p>尾</p></html>";
    }

    QTemporaryDir dir;
    AppState state;
};

} // namespace

TEST_F(ArticlePage, BodyBetweenTheMarkersIsWrittenInCp936WithCrLf) {
    Process(1, SinaPage(u"正文内容是这样的一段话。"_qs));
    EXPECT_TRUE(QFileInfo(Paths().CategoryFolder(u"分类 甲"_qs)).isDir());
    EXPECT_TRUE(File(1).endsWith(u"/任务/分类_甲/blog_1.html"));
    EXPECT_EQ(ReadBytes(File(1)), EncodeCp936(u"正文内容是这样的一段话。"_qs) + "\r\n");
    EXPECT_EQ(Mark(1), kMarkDone);

    // The folder is reused and an existing page file is overwritten.
    Process(2, SinaPage(u"第二篇的正文内容，足够长。"_qs));
    Process(1, SinaPage(u"新的正文内容，也足够长。"_qs));
    EXPECT_EQ(ReadCp936(File(1)), u"新的正文内容，也足够长。\r\n");
    EXPECT_TRUE(QFileInfo::exists(File(2)));
}

TEST_F(ArticlePage, PagesWithoutAUsableEndMarkerAreSavedWholeOrMarkedNotFound) {
    // An end marker only at the first character does not count: the page is kept whole.
    const QString leading = kSinaEnd + u"abc" + kSinaStart + u"没有结束标记的正文";
    Process(1, leading);
    EXPECT_EQ(ReadCp936(File(1)), leading + u"\r\n");

    const QString noEnd = u"<html>" + kSinaStart + u"正文没有结束标记</html>";
    Process(2, noEnd);
    EXPECT_EQ(ReadCp936(File(2)), noEnd + u"\r\n");

    const QString noStart = u"<html>正文没有开始标记，但有结束" + kSinaEnd + u"</html>";
    Process(3, noStart);
    EXPECT_EQ(ReadCp936(File(3)), u"未找到-" + noStart + u"\r\n");
}

TEST_F(ArticlePage, EmptyObjectParametersAreNeutralisedExactly) {
    Process(1, SinaPage(u"<object><param VALUE=\"\" /><param value=\"\" /></object>"_qs));
    EXPECT_EQ(ReadCp936(File(1)), u"<object><已替代><param value=\"\" /></object>\r\n");
}

TEST_F(ArticlePage, FiveBytesStayTwoBytesCountAsEmpty) {
    Process(1, u"abc"_qs); // no markers: the whole page is the body, 5 bytes with CR LF
    EXPECT_EQ(ReadBytes(File(1)), "abc\r\n");
    EXPECT_EQ(Mark(1), kMarkDone);

    Process(2, u"中"_qs); // 2 bytes in code page 936, 4 with CR LF
    EXPECT_FALSE(QFileInfo::exists(File(2)));
    EXPECT_TRUE(Mark(2).isEmpty());
}

TEST_F(ArticlePage, EmptyPageIsFetchedAgainThreeTimesAndGivenUpOnTheFourth) {
    const QString placeholder = QStringLiteral(
        "博文已经删除或访问受限...<br><A target=_blank href=http://blog.sina.com.cn/s/"
        "blog_1.html>点击这里打开源地址</a> <br>  --kavroPellomar。\r\n");
    for (int attempt = 1; attempt <= 3; ++attempt) {
        Process(1, QString());
        EXPECT_TRUE(Mark(1).isEmpty()) << attempt;
        EXPECT_FALSE(QFileInfo::exists(File(1))) << attempt;
    }
    Process(1, QString());
    EXPECT_EQ(Mark(1), kMarkDone);
    EXPECT_EQ(ReadCp936(File(1)), placeholder);
    EXPECT_FALSE(state.attemptRecord.contains(1));

    // Given up: its count starts again from nothing, and an empty answer never replaces
    // the page on disk.
    Process(1, QString());
    EXPECT_EQ(Mark(1), kMarkDone);
    EXPECT_EQ(ReadCp936(File(1)), placeholder);
    EXPECT_EQ(state.attemptRecord.value(1), 1);
}

TEST_F(ArticlePage, AttemptsOnRowElevenNeverCountForRowOne) {
    for (int i = 0; i < 3; ++i)
        Process(11, QString());
    Process(1, QString());
    EXPECT_TRUE(Mark(1).isEmpty());
    Process(11, QString());
    EXPECT_EQ(Mark(11), kMarkDone);
    EXPECT_EQ(state.attemptRecord, (QHash<int, int>{{1, 1}}));

    QHash<int, int> record{{11, 1}, {1, 2}, {111, 1}, {21, 1}};
    EXPECT_FALSE(CountAttempt(record, 1));
    EXPECT_EQ(record.value(1), 3);
    EXPECT_TRUE(CountAttempt(record, 1));
    EXPECT_EQ(record, (QHash<int, int>{{11, 1}, {111, 1}, {21, 1}}));
}

TEST_F(ArticlePage, ErrorAnswerWritesNothingOfItButIsSearchedForGoneMarkers) {
    // A 404 page of the service that says the article is gone: placeholder at once.
    Process(1, u"<p>抱歉</p><script>go('/myblog/htmlsource/blog_notopen.php')</script>"_qs, true);
    EXPECT_EQ(Mark(1), kMarkDone);
    EXPECT_TRUE(ReadCp936(File(1)).startsWith(u"博文已经删除或访问受限..."));

    // A 500 page with an article-like body: nothing of it is kept, the row is fetched again.
    Process(2, SinaPage(u"服务器错误页面里的文字也不算正文。"_qs), true);
    EXPECT_TRUE(Mark(2).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(File(2)));
}

TEST_F(ArticlePage, PlaceholdersPerService) {
    EXPECT_EQ(GonePlaceholder(kBaidu, u"name"_qs, u"abc.html"_qs),
              u"博文已经删除或访问受限...<br><A target=_blank href=http://hi.baidu.com/name/"
              u"blog/item/abc.html>点击这里打开源地址</a> <br>  —kavroPellomar。");
    EXPECT_EQ(GonePlaceholder(kHexun, u"name"_qs, u"777.html"_qs),
              u"博文已经删除或访问受限...<br><A target=_blank href=http://name.blog.hexun.com/"
              u"777.html>点击这里打开源地址</a> <br>  —kavroPellomar。");
    EXPECT_EQ(GonePlaceholder(kNetEase, u"name"_qs, u"1234567890.html"_qs),
              u"博文已经删除或访问受限...<br><A target=_blank href=http://name.blog.163.com/"
              u"blog/static/1234567890>点击这里打开源地址</a> <br>  —kavroPellomar。");
    EXPECT_EQ(GonePlaceholder(kSohu, u"name"_qs, u"entry/1/"_qs),
              u"博文已经删除或访问受限...<br><A target=_blank href=http://name.blog.sohu.com/"
              u"entry/1/>点击这里打开源地址</a> <br>  —kavroPellomar。");

    // The em dash is written as code page 936 has it.
    state.serviceKind = kHexun;
    for (int i = 0; i < 4; ++i)
        Process(5, QString());
    EXPECT_TRUE(ReadBytes(File(5)).endsWith("\xa1\xaakavroPellomar\xa1\xa3\r\n"));
}

TEST_F(ArticlePage, LinkOrCategoryLeadingOutsideTheTaskFolderWritesNothing) {
    AppState& s = state;
    s.table().AddArticle(u"坏1"_qs, u"分类"_qs, u"../../escaped.html"_qs, u"d"_qs); // row 13
    s.table().AddArticle(u"坏2"_qs, u".."_qs, u"escaped.html"_qs, u"d"_qs);         // row 14
    s.table().AddArticle(u"坏3"_qs, u"分类"_qs, u".."_qs, u"d"_qs);                 // row 15
    const QStringList before = FilesBelow(dir.path());
    for (int row = 13; row <= 15; ++row) {
        Process(row, SinaPage(u"这一篇的正文足够长，不会被当作空的。"_qs));
        EXPECT_EQ(Mark(row), kMarkFailed) << row; // given up, so the run can end
    }
    const QStringList after = FilesBelow(dir.path());
    EXPECT_EQ(after, QStringList{kDownloadLogName}) << after.join(u' ').toStdString();
    EXPECT_TRUE(before.isEmpty());
    const QStringList log = LogMessages(dir.path());
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0], u"路径越出任务文件夹，已放弃:分类\\../../escaped.html");
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).absoluteFilePath(u"../escaped.html"_qs)));
}

TEST_F(ArticlePage, ACutOffPageIsAskedAgainAndACutOffFileIsNoFinishedPage) {
    Process(1, u"<!DOCTYPE "_qs);
    EXPECT_FALSE(QFileInfo::exists(File(1)));
    EXPECT_EQ(Mark(1), QString());

    // What an earlier run took from a server that framed the page wrongly.
    QDir().mkpath(Paths().CategoryFolder(u"分类 甲"_qs));
    QFile file(File(1));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE \r\n");
    file.close();
    EXPECT_EQ(RunTask(NextPendingArticle(state)), 1);
    Process(1, SinaPage(u"完整的正文内容，足够长的一段。"_qs));
    EXPECT_EQ(ReadCp936(File(1)), u"完整的正文内容，足够长的一段。\r\n");
}
