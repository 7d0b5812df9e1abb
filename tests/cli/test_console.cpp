// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace pellomar::cli {
namespace {

class ConsoleTest : public ::testing::Test {
  protected:
    ConsoleTest() {
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
    }
    QString Err() const { return QString::fromUtf8(err.data()); }

    QBuffer out;
    QBuffer err;
};

TEST_F(ConsoleTest, ProgressIsPlainLinesOffATerminalAndNothingWhenQuiet) {
    Console console(out, err, false);
    console.Progress(QStringLiteral("查找文章：1页/2页"));
    console.Progress(QStringLiteral("查找文章：2页/2页"));
    console.Out(QStringLiteral("result"));
    EXPECT_EQ(Err(), QStringLiteral("查找文章：1页/2页\n查找文章：2页/2页\n"));
    EXPECT_EQ(out.data(), "result\n");

    err.buffer().clear();
    err.seek(0);
    console.SetQuiet(true);
    console.Progress(QStringLiteral("x"));
    console.Error(QStringLiteral("导入失败：文件是空的"));
    EXPECT_EQ(Err(), QStringLiteral("导入失败：文件是空的\n"));
}

TEST_F(ConsoleTest, OnATerminalProgressRewritesOneLineThatMessagesEndFirst) {
    Console console(out, err, true);
    console.Progress(QStringLiteral("a"));
    console.Progress(QStringLiteral("b"));
    console.Error(QStringLiteral("oops"));
    console.Progress(QStringLiteral("c"));
    console.EndProgress();
    console.EndProgress();
    EXPECT_EQ(Err(), QStringLiteral("\ra\x1b[K\rb\x1b[K\noops\n\rc\x1b[K\n"));
}

TEST_F(ConsoleTest, ControlCharactersFromPagesAreShownEscaped) {
    Console console(out, err, true);
    const QString title = u"\x1b]0;pwned\x07标题\x1b[2J\u009b31m\tx"_qs;
    console.Error(u"文章下载失败：1 "_qs + title);
    console.Progress(title);
    console.Out(title);
    const QString shown = u"\\x1B]0;pwned\\x07标题\\x1B[2J\\x9B31m\tx"_qs;
    EXPECT_EQ(Err(), u"文章下载失败：1 "_qs + shown + u"\n\r"_qs + shown + u"\x1b[K\n"_qs);
    EXPECT_EQ(QString::fromUtf8(out.data()), shown + u'\n');
}

TEST_F(ConsoleTest, AMessageTheCaptionJustShowedIsNotRepeated) {
    Console console(out, err, false);
    console.Progress(QStringLiteral("导入失败：文件是空的"));
    console.Error(QStringLiteral("导入失败：文件是空的"));
    console.Error(QStringLiteral("导入失败：文件是空的"));
    EXPECT_EQ(Err(), QStringLiteral("导入失败：文件是空的\n导入失败：文件是空的\n"));
}

} // namespace
} // namespace pellomar::cli
