// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pacer.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

using namespace pellomar;

namespace {

const QUrl kList(QStringLiteral("https://blog.sina.com.cn/s/articlelist_1_0_1.html"));
const QUrl kArticle(QStringLiteral("https://blog.sina.com.cn/s/blog_1.html"));
const QUrl kOther(QStringLiteral("http://example.org/a"));

struct PacerTest : ::testing::Test {
    Pacer pacer;
    QElapsedTimer clock;
    QList<qint64> sent; // when each admitted request went, in ms since the start

    PacerTest() {
        pacer.AddRule({QStringLiteral("新浪"),
                       {QStringLiteral("sina.com.cn")},
                       {QStringLiteral("/s/articlelist_")},
                       3});
        Pacer::Timing timing;
        timing.windowMs = 300;
        timing.firstPauseMs = 200;
        timing.longestPauseMs = 400;
        timing.giveUpAfterMs = 700;
        pacer.SetTiming(timing);
        clock.start();
    }
    void Admit(const QUrl& url) {
        pacer.Admit(url, [this] { sent.append(clock.elapsed()); });
    }
};

} // namespace

TEST_F(PacerTest, PacedPathsWaitForTheWindowWhileOtherPathsAndHostsGoAtOnce) {
    for (int i = 0; i < 4; ++i)
        Admit(kList);
    Admit(kArticle);
    Admit(kOther);
    EXPECT_EQ(sent.size(), 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() == 6; }, 2000));
    EXPECT_GE(sent.last(), 280);
    EXPECT_FALSE(pacer.CurrentPause());
}

TEST_F(PacerTest, SlowDownPausesTheServiceLongerEachTimeThenGivesUpUntilTheNextRun) {
    pacer.SlowDown(kArticle);
    pacer.SlowDown(kList); // during the pause: counts once
    EXPECT_EQ(pacer.PauseCount(), 1);
    ASSERT_TRUE(pacer.CurrentPause());
    EXPECT_EQ(pacer.CurrentPause()->label, u"新浪");
    Admit(kArticle);
    Admit(kOther);
    EXPECT_EQ(sent.size(), 1); // another host does not wait
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() == 2; }, 2000));
    EXPECT_GE(sent.last(), 190);

    pacer.SlowDown(kArticle); // 400 ms: 600 in all
    Admit(kArticle);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() == 3; }, 2000));
    EXPECT_GE(sent.last() - sent[1], 390);
    EXPECT_FALSE(pacer.GivenUp(kArticle));

    // Another 400 ms would pass the limit: the service is given up for this run.
    pacer.SlowDown(kList);
    EXPECT_TRUE(pacer.GivenUp(kArticle));
    EXPECT_EQ(pacer.GivenUpLabel(), u"新浪"_qs);
    EXPECT_FALSE(pacer.GivenUp(kOther));
    pacer.BeginRun();
    EXPECT_FALSE(pacer.GivenUp(kArticle));
}
