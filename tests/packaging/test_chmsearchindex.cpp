// SPDX-License-Identifier: GPL-3.0-or-later
#include "fulltextlookup.h"
#include "packaging/chmsearchindex.h"
#include "platform/textstream.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace pellomar;
using pellomar::test::LookUpWord;

namespace {

QByteArray Gbk(const QString& text) {
    return EncodeCp936(text);
}

} // namespace

// Enough words for many leaves and a level of index nodes above them, topics far apart and
// positions beyond the root size: every word must come back with exactly its own hits.
TEST(FullTextIndex, EveryWordComesBackWithItsTopicsAndPositions) {
    QList<SearchTopic> topics;
    for (quint32 t = 0; t < 150; ++t) {
        SearchTopic topic;
        topic.topic = 5 + t * 37;
        // Words w0 to w4999 in turn, so topics 125 and on repeat those of 0 and on.
        for (quint32 w = 0; w < 40; ++w)
            topic.bodyWords << "filler"
                            << "w" + QByteArray::number((t * 40 + w) % 5000);
        topic.titleWords << "filler";
        topics << topic;
    }
    const QByteArray index = FullTextIndex(topics);
    ASSERT_FALSE(index.isEmpty());
    EXPECT_GE(qFromLittleEndian<quint16>(index.constData() + 0x18), 2) << "tree depth";

    const auto w7 = LookUpWord(index, "w7");
    ASSERT_EQ(w7.size(), 2);
    EXPECT_FALSE(w7[0].title);
    EXPECT_EQ(w7[0].topic, 5u);
    EXPECT_EQ(w7[1].topic, 5u + 125 * 37);
    EXPECT_EQ(w7[1].locations, QList<quint32>{15});
    const auto last = LookUpWord(index, "w4999");
    ASSERT_EQ(last.size(), 1);
    EXPECT_EQ(last[0].topic, 5u + 124 * 37);
    EXPECT_EQ(last[0].locations, QList<quint32>{79});

    const auto filler = LookUpWord(index, "filler");
    ASSERT_EQ(filler.size(), 300); // body hits, then title hits
    EXPECT_EQ(filler[149].locations.size(), 40);
    EXPECT_EQ(filler[149].locations.last(), 78u);
    EXPECT_TRUE(filler[150].title);
    EXPECT_EQ(filler[299].topic, 5u + 149 * 37);
    EXPECT_TRUE(LookUpWord(index, "w5000").isEmpty());
    EXPECT_TRUE(LookUpWord(index, "zzz").isEmpty());

    EXPECT_TRUE(FullTextIndex({SearchTopic{}}).isEmpty());
}

TEST(FullTextIndex, PagesBreakIntoAsciiWordsAndSingleChineseCharacters) {
    const QString text = PageSearchText(
        QStringLiteral("<p>Hello,<b>麦田</b>2008abc&#20013;😀</p><script>var hidden</script>"));
    EXPECT_EQ(SearchWords(text),
              (QList<QByteArray>{"hello", Gbk(QStringLiteral("麦")), Gbk(QStringLiteral("田")),
                                 "2008abc", Gbk(QStringLiteral("中"))}));
}
