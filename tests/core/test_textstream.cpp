// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textstream.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {

QByteArray Bytes(const char* data, qsizetype size) {
    return QByteArray(data, size);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

const QString kZhongWen = QStringLiteral("中文");

} // namespace

TEST(DecodeBytes, DecodesUtf8AndGb2312) {
    EXPECT_EQ(DecodeBytes(kZhongWen.toUtf8(), QStringLiteral("UTF-8")), kZhongWen);
    EXPECT_EQ(DecodeBytes(Bytes("\xD6\xD0\xCE\xC4", 4), QStringLiteral("GB2312")), kZhongWen);
    EXPECT_EQ(DecodeBytes(Bytes("\xD6\xD0\xCE\xC4", 4), QStringLiteral("gbk")), kZhongWen);
}

TEST(DecodeBytes, Gb2312MeansCodePage936WithTheEuroSign) {
    // 镕 and 堃 lie outside GB2312 proper; 0x80 is the euro sign of code page 936.
    const QByteArray bytes = Bytes("\xE9\x46\x88\xD2\x80<b>", 8);
    EXPECT_EQ(DecodeBytes(bytes, QStringLiteral("GB2312")), QStringLiteral("镕堃€<b>"));
    // As the second byte of a character 0x80 is no euro sign.
    EXPECT_EQ(DecodeBytes(Bytes("\x81\x80", 2), QStringLiteral("GB2312")), QStringLiteral("亐"));
}

TEST(DecodeBytes, Gb2312AcceptsFourByteGb18030Characters) {
    EXPECT_EQ(DecodeBytes(Bytes("\x95\x32\x90\x31", 4), QStringLiteral("GB2312")),
              QStringLiteral("𠂇"));
    EXPECT_EQ(DecodeBytes(Bytes("a\x81\x30\x81\x30z", 6), QStringLiteral("GB2312")),
              QString::fromUtf16(u"a\u0080z"));
}

TEST(DecodeBytes, BrokenGbBytesBecomeReplacementsWithoutEatingMarkup) {
    const QString replacement(QChar::ReplacementCharacter);
    EXPECT_EQ(DecodeBytes(Bytes("\x81<b>", 4), QStringLiteral("GB2312")), replacement + u"<b>");
    EXPECT_EQ(DecodeBytes(Bytes("\xFF<b>", 4), QStringLiteral("GB2312")), replacement + u"<b>");
    // A character cut short by the end of the body still leaves a trace.
    EXPECT_EQ(DecodeBytes(Bytes("ab\xD6", 3), QStringLiteral("GB2312")), u"ab" + replacement);
    EXPECT_EQ(DecodeBytes(Bytes("ab\x81\x30", 4), QStringLiteral("GB2312")), u"ab" + replacement);
}

TEST(DecodeBytes, UnknownCharsetDecodesAsUtf8) {
    EXPECT_EQ(DecodeBytes(kZhongWen.toUtf8(), QStringLiteral("no-such-set")), kZhongWen);
    const QString decoded = DecodeBytes(Bytes("a\xFF"
                                              "b",
                                              3),
                                        QStringLiteral("UTF-8"));
    EXPECT_EQ(decoded, QString::fromUtf16(u"a\uFFFDb"));
}

TEST(EncodeCp936, WritesGbkBytes) {
    EXPECT_EQ(EncodeCp936(QStringLiteral("中文镕堃€ a\r\n")),
              Bytes("\xD6\xD0\xCE\xC4\xE9\x46\x88\xD2\x80 a\r\n", 13));
}

TEST(EncodeCp936, UnencodableCharactersBecomeOneQuestionMarkEach) {
    // Characters only GB18030 reaches (with its four-byte forms) must not leak through.
    EXPECT_EQ(EncodeCp936(QStringLiteral("a😀b")), QByteArray("a?b"));
    EXPECT_EQ(EncodeCp936(QStringLiteral("𠂇")), QByteArray("?"));
    EXPECT_EQ(EncodeCp936(QString::fromUtf16(u"x\u0080\u00A5y")), QByteArray("x??y"));
}

TEST(EncodeCp936, FitsCp936TellsWhatSurvives) {
    EXPECT_TRUE(FitsCp936(QStringLiteral("中文镕堃€é?")));
    EXPECT_TRUE(FitsCp936(QString()));
    EXPECT_FALSE(FitsCp936(QStringLiteral("a😀")));
    EXPECT_FALSE(FitsCp936(QString::fromUtf16(u"\u00A5")));
}

TEST(EncodeCp936, RoundTripsThroughGb2312Decoding) {
    const QString text = QStringLiteral("博客备份：镕堃€ — “引号” ①\r\nline two\r\n");
    ASSERT_TRUE(FitsCp936(text));
    EXPECT_EQ(DecodeBytes(EncodeCp936(text), QStringLiteral("GB2312")), text);
}

TEST(TextFiles, AtomicWriteReplacesTheWholeFileAndLeavesNoTemporary) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray("a long first content")));
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray("short")));
    EXPECT_EQ(ReadAll(path), QByteArray("short"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("page.htm")});
}

TEST(TextFiles, WriteIntoMissingFolderFailsAndCreatesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(WriteTextFile(dir.filePath(QStringLiteral("missing/a.txt")), kZhongWen));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(TextFiles, TextIsWrittenInCp936WithLineEndsAsGiven) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    ASSERT_TRUE(WriteTextFile(path, QStringLiteral("中\r\nx\ny")));
    EXPECT_EQ(ReadAll(path), Bytes("\xD6\xD0\r\nx\ny", 7));
    bool ok = false;
    EXPECT_EQ(ReadTextFile(path, QStringLiteral("GB2312"), &ok), QStringLiteral("中\r\nx\ny"));
    EXPECT_TRUE(ok);
}

TEST(TextFiles, AppendCreatesThenAppends) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("log.log"));
    ASSERT_TRUE(AppendTextFile(path, QStringLiteral("一\r\n")));
    ASSERT_TRUE(AppendTextFile(path, QStringLiteral("二\r\n")));
    EXPECT_EQ(ReadAll(path), Bytes("\xD2\xBB\r\n\xB6\xFE\r\n", 8));
}

TEST(TextFiles, ReadingAMissingFileReportsFailure) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    bool ok = true;
    EXPECT_TRUE(
        ReadTextFile(dir.filePath(QStringLiteral("none.ini")), QStringLiteral("GB2312"), &ok)
            .isEmpty());
    EXPECT_FALSE(ok);
}

TEST(DecodeBytes, RealGbkPagesDecodeCleanlyAndEncodeBackToTheSameBytes) {
    QFile index(QStringLiteral(PELLOMAR_REAL_PAGES "/INDEX.tsv"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    int checked = 0;
    for (const QByteArray& line : index.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 8 || fields[7] != "GBK")
            continue;
        const QString path = QStringLiteral(PELLOMAR_REAL_PAGES "/") +
                             QString::fromUtf8(fields[0]) + u'/' + QString::fromUtf8(fields[2]);
        const QByteArray bytes = ReadAll(path);
        const QString text = DecodeBytes(bytes, QStringLiteral("GB2312"));
        EXPECT_FALSE(text.contains(QChar(QChar::ReplacementCharacter))) << fields[2].constData();
        EXPECT_EQ(EncodeCp936(text), bytes) << fields[2].constData();
        ++checked;
    }
    EXPECT_GT(checked, 0);
}
