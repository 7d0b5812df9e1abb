// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/textfunctions.h"
#include "platform/regex.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {
QString S(const char16_t* text) {
    return QString::fromUtf16(text);
}
} // namespace

TEST(CutBetween, TakesTheTextBetweenTheMarkers) {
    EXPECT_EQ(CutBetween(S(u"<b>x</b>"), S(u"<b>"), S(u"</b>"), 0), S(u"x"));
    // Only the first start marker counts.
    EXPECT_EQ(CutBetween(S(u"[a][b]"), S(u"["), S(u"]"), 0), S(u"a"));
    EXPECT_EQ(CutBetween(S(u"标题：中文，完"), S(u"标题："), S(u"，"), 0), S(u"中文"));
}

TEST(CutBetween, MissingMarkerGivesTheNotFoundForm) {
    const QString text = S(u"<b>x</b>");
    EXPECT_EQ(CutBetween(text, S(u"<i>"), S(u"</b>"), 0), S(u"未找到-<b>x</b>"));
    EXPECT_EQ(CutBetween(text, S(u"<b>"), S(u"</i>"), 0), S(u"未找到-<b>x</b>"));
    EXPECT_EQ(CutBetween(QString(), S(u"<b>"), S(u"</b>"), 0), S(u"未找到-"));
}

TEST(CutBetween, SkipKeepsTheEndMarkerFromTheStartOfTheValue) {
    EXPECT_EQ(CutBetween(S(u"<em>()12)</em>"), S(u"<em>("), S(u")"), 0), QString());
    EXPECT_EQ(CutBetween(S(u"<em>()12)</em>"), S(u"<em>("), S(u")"), 1), S(u")12"));
    EXPECT_EQ(CutBetween(S(u"ab||cd||ef"), S(u"ab"), S(u"||"), 3), S(u"||cd"));
}

TEST(CutBetween, EndMarkerOnlyBeforeTheValueCountsAsMissing) {
    // The end marker exists, but not after the start marker: no negative-length cut.
    EXPECT_EQ(CutBetween(S(u"end start x"), S(u"start"), S(u"end"), 0), S(u"未找到-end start x"));
    // Nor within reach once skip is applied.
    EXPECT_EQ(CutBetween(S(u"s)x"), S(u"s"), S(u")"), 1), S(u"未找到-s)x"));
    EXPECT_EQ(CutBetween(S(u"s)"), S(u"s"), S(u")"), 20), S(u"未找到-s)"));
}

TEST(MatchAll, ReturnsEveryMatchFollowedByCrLf) {
    const QString text = S(u"<a>one</a> <a>two</a>\n<a>three</a>");
    EXPECT_EQ(MatchAll(S(u"<a>.*</a>"), text), S(u"<a>one</a> <a>two</a>\r\n<a>three</a>\r\n"));
    EXPECT_EQ(MatchAll(S(u"\\(\\d+\\)"), S(u"x(12)y(7)z()")), S(u"(12)\r\n(7)\r\n"));
}

TEST(MatchAll, IgnoresLetterCase) {
    EXPECT_EQ(MatchAll(S(u"<div class=item>"), S(u"<DIV CLASS=Item>")), S(u"<DIV CLASS=Item>\r\n"));
}

TEST(MatchAll, DotMatchesCarriageReturnButNotLineFeed) {
    EXPECT_EQ(MatchAll(S(u"a.*b"), S(u"a1\rb\r\na2b")), S(u"a1\rb\r\na2b\r\n"));
    EXPECT_EQ(MatchAll(S(u"x.y"), S(u"x\ny")), QString());
}

TEST(MatchAll, NoMatchOrBadPatternGivesEmptyText) {
    EXPECT_EQ(MatchAll(S(u"zzz"), S(u"abc")), QString());
    EXPECT_EQ(MatchAll(S(u"(unclosed"), S(u"(unclosed")), QString());
    EXPECT_EQ(MatchAll(S(u"a\\"), S(u"a\\")), QString());
}

TEST(MatchAll, SubjectWithBrokenSurrogateStillMatches) {
    // Character references can leave half a surrogate pair in a page.
    QString subject = S(u"<t>1</t>");
    subject += QChar(0xD800);
    subject += S(u"<t>2</t>");
    EXPECT_EQ(MatchAll(S(u"<t>\\d</t>"), subject), S(u"<t>1</t>\r\n<t>2</t>\r\n"));
    EXPECT_EQ(MatchAll(S(u"1</t>."), subject), S(u"1</t>\uFFFD\r\n"));
}

TEST(DecodeCharRefs, ReplacesEveryOccurrenceOfAReference) {
    EXPECT_EQ(DecodeCharRefs(S(u"x&#20013;y&#20013;&#25991;")), S(u"x中y中文"));
    EXPECT_EQ(DecodeCharRefs(S(u"a&#65;&#00066;")), S(u"aAB"));
    // An occurrence at the very start goes along with a later one.
    EXPECT_EQ(DecodeCharRefs(S(u"&#65;x&#65;")), S(u"AxA"));
}

TEST(DecodeCharRefs, LeavesWhatIsNoDecimalReference) {
    // A reference at the very start does not count by itself.
    EXPECT_EQ(DecodeCharRefs(S(u"&#20013;x")), S(u"&#20013;x"));
    // Seven digits do not fit the eight-character window, five do.
    EXPECT_EQ(DecodeCharRefs(S(u"x&#0020013;")), S(u"x&#0020013;"));
    EXPECT_EQ(DecodeCharRefs(S(u"x&#20013;")), S(u"x中"));
    EXPECT_EQ(DecodeCharRefs(S(u"x&nbsp;&amp;")), S(u"x&nbsp;&amp;"));
    // Hexadecimal, out of range, empty or signed numbers stay, and later ones still decode.
    EXPECT_EQ(DecodeCharRefs(S(u"x&#x4e2d;&#65536;&#;&#-5;&#+5;&#66;")),
              S(u"x&#x4e2d;&#65536;&#;&#-5;&#+5;B"));
    EXPECT_EQ(DecodeCharRefs(S(u"x&#65535;")), S(u"x") + QChar(0xFFFF));
    EXPECT_EQ(DecodeCharRefs(S(u"x&#12&#65;")), S(u"x&#12A"));
}

TEST(DecodeCharRefs, DecodedCharactersCanFormFurtherReferences) {
    // "&#38;" is "&": each round shrinks the text, so this ends.
    EXPECT_EQ(DecodeCharRefs(S(u"x&#38;#38;#38;#65;")), S(u"xA"));
    EXPECT_EQ(DecodeCharRefs(S(u"x&&#35;65;")), S(u"xA"));
    // A decoded "#" right after an "&" that was passed over.
    EXPECT_EQ(DecodeCharRefs(S(u"x&#12345&&#35;66;")), S(u"x&#12345B"));
}

TEST(DecodeCharRefs, ManyDistinctReferencesStayFast) {
    QString text = S(u"<p>");
    QString expected = text;
    // Each distinct reference once cost a copy of the whole text.
    for (int i = 0; i < 40000; ++i) {
        const int code = 0x4E00 + i;
        text += u"&#" + QString::number(code) + u";<br>&#" + QString::number(code) + u';';
        expected += QChar(code) + S(u"<br>") + QChar(code);
    }
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(DecodeCharRefs(text), expected);
    EXPECT_LT(timer.elapsed(), 5000);
}
