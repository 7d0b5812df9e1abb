// SPDX-License-Identifier: GPL-3.0-or-later
// The picture queue driven one step at a time (its timer stopped), against the fixture server.
#include "core/filenames.h"
#include "download/engine.h"
#include "downloadtesthelpers.h"
#include "platform/httpclient.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

QString Picture(int n) {
    return u"http://pic.example.com/images/" + QString::number(n) + u".gif";
}

class PictureQueueSteps : public ::testing::Test {
  protected:
    PictureQueueSteps() : engine(dir.path()) {
        server.Start();
        RunTask(state().StartUp());
        state().timer1().stop();
        state().timer2().stop();
        state().statusLog().Clear();
        state().network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
        state().taskName = QStringLiteral("任务");
        state().table().AddArticle(u"t"_qs, u"图"_qs, u"a.html"_qs, u"d"_qs);
        state().table().AddArticle(u"t"_qs, u".."_qs, u"b.html"_qs, u"d"_qs);
        QDir().mkpath(Paths().CategoryFolder(u"图"_qs));
        for (int n = 1; n <= 9; ++n)
            server.SetPage(Picture(n), "GIF89a-" + QByteArray::number(n) + ';', "image/gif");
    }

    AppState& state() { return engine.state(); }
    PictureQueue& queue() { return engine.pictures(); }
    TaskPaths Paths() { return {state().programFolder(), state().taskName}; }
    QString LocalFile(int n) { return Paths().PictureFile(u"图"_qs, Picture(n)); }
    void Queue(int n, int row = 1) {
        state().statusLog().Add(QString::number(row) + u"\r\n" + Picture(n));
    }
    HttpClient& Slot(int s) { return *state().fetchPool(s); }
    bool WaitComplete(std::initializer_list<int> which) {
        return QTest::qWaitFor(
            [&] {
                for (int s : which)
                    if (Slot(s).ReadyState() != HttpClient::Complete)
                        return false;
                return true;
            },
            5000);
    }
    QString Success(int n) { return u"下载成功9字节 1 " + Picture(n) + u" 到本地:" + LocalFile(n); }

    QTemporaryDir dir;
    FixtureServer server;
    Engine engine;
};

} // namespace

TEST_F(PictureQueueSteps, SevenPicturesShareFiveSlotsInQueueOrder) {
    for (int n = 1; n <= 7; ++n)
        Queue(n);
    queue().Step();
    EXPECT_EQ(state().statusLog().Count(), 2);
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(Slot(s).Address(), Picture(s + 1)) << s;

    ASSERT_TRUE(WaitComplete({0, 1, 2, 3, 4}));
    queue().Step();
    // Slots that finish take the waiting pictures in the same tick, in slot order.
    EXPECT_EQ(state().statusLog().Count(), 0);
    EXPECT_EQ(Slot(0).Address(), Picture(6));
    EXPECT_EQ(Slot(1).Address(), Picture(7));
    EXPECT_EQ(Slot(2).ReadyState(), HttpClient::Idle);

    ASSERT_TRUE(WaitComplete({0, 1}));
    queue().Step();
    EXPECT_TRUE(queue().Idle());
    QStringList expected;
    for (int n = 1; n <= 7; ++n) {
        expected.append(Success(n));
        EXPECT_EQ(ReadBytes(LocalFile(n)), "GIF89a-" + QByteArray::number(n) + ';') << n;
    }
    EXPECT_EQ(LogMessages(dir.path()), expected);

    // Idle slots are never timed out and log nothing.
    for (int i = 0; i < 150; ++i)
        queue().Step();
    EXPECT_EQ(LogMessages(dir.path()).size(), 7);
}

TEST_F(PictureQueueSteps, TheHundredthTickAbandonsEvenARequestThatHasJustCompleted) {
    server.AddDelay(Picture(1), 300);
    Queue(1);
    Queue(2);
    queue().Step(); // picture 1 on slot 0, picture 2 on slot 1
    ASSERT_TRUE(WaitComplete({1}));
    for (int tick = 1; tick <= 99; ++tick)
        queue().Step();
    ASSERT_NE(Slot(0).ReadyState(), HttpClient::Complete) << "the delay was too short";
    ASSERT_TRUE(WaitComplete({0}));
    Queue(3);
    queue().Step(); // the 100th tick of picture 1
    const QStringList log = LogMessages(dir.path());
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[0], Success(2));
    EXPECT_EQ(log[1], u"超时放弃:1 " + Picture(1) + u" 到本地:" + LocalFile(1));
    EXPECT_FALSE(QFileInfo::exists(LocalFile(1)));
    // The freed slot takes the next picture in the same tick.
    EXPECT_EQ(Slot(0).Address(), Picture(3));
    EXPECT_EQ(state().statusLog().Count(), 0);
}

TEST_F(PictureQueueSteps, AStalledRequestIsAbandonedOnceAfterAHundredTicks) {
    server.Stall(Picture(1));
    Queue(1);
    queue().Step();
    for (int tick = 1; tick <= 99; ++tick)
        queue().Step();
    EXPECT_TRUE(LogMessages(dir.path()).isEmpty());
    queue().Step();
    for (int tick = 1; tick <= 150; ++tick)
        queue().Step();
    EXPECT_EQ(LogMessages(dir.path()),
              QStringList{u"超时放弃:1 " + Picture(1) + u" 到本地:" + LocalFile(1)});
    EXPECT_TRUE(queue().Idle());
}

TEST_F(PictureQueueSteps, FourBytesAreAPictureThreeAreNot) {
    server.SetPage(Picture(1), "GIF8", "image/gif");
    server.SetPage(Picture(2), "GIF", "image/gif");
    WriteBytes(LocalFile(1), "an older and longer file");
    Queue(1);
    Queue(2);
    queue().Step();
    ASSERT_TRUE(WaitComplete({0, 1}));
    queue().Step();
    EXPECT_EQ(ReadBytes(LocalFile(1)), "GIF8");
    EXPECT_FALSE(QFileInfo::exists(LocalFile(2)));
    const QStringList expected = {u"下载成功4字节 1 " + Picture(1) + u" 到本地:" + LocalFile(1),
                                  u"下载失败！长度为0 1 " + Picture(2) + u" 到本地:" +
                                      LocalFile(2)};
    EXPECT_EQ(LogMessages(dir.path()), expected);
}

TEST_F(PictureQueueSteps, ErrorAnswersAndDroppedConnectionsSaveNothing) {
    server.AnswerError(Picture(1), 404, "<html>no such picture, but a long body</html>");
    server.Drop(Picture(2));
    Queue(1);
    Queue(2);
    queue().Step();
    ASSERT_TRUE(WaitComplete({0, 1}));
    queue().Step();
    EXPECT_FALSE(QFileInfo::exists(LocalFile(1)));
    EXPECT_FALSE(QFileInfo::exists(LocalFile(2)));
    const QStringList expected = {
        u"下载失败！HTTP状态404 1 " + Picture(1) + u" 到本地:" + LocalFile(1),
        u"下载失败！长度为0 1 " + Picture(2) + u" 到本地:" + LocalFile(2)};
    EXPECT_EQ(LogMessages(dir.path()), expected);
}

TEST_F(PictureQueueSteps, OnlyPictureEntriesAreTakenAndUnsafeFoldersAreRefused) {
    state().statusLog().Add(QStringLiteral("一行帮助文字"));
    Queue(1);
    queue().Step();
    EXPECT_TRUE(queue().Idle());
    EXPECT_EQ(state().statusLog().Count(), 2);

    state().statusLog().Clear();
    Queue(4, 2); // row 2's category is ".."
    queue().Step();
    ASSERT_TRUE(WaitComplete({0}));
    queue().Step();
    EXPECT_EQ(LogMessages(dir.path()),
              QStringList{u"下载失败！无法写入 2 " + Picture(4) + u" 到本地:"});
    EXPECT_EQ(FilesBelow(dir.path()), QStringList{kDownloadLogName});
}

TEST_F(PictureQueueSteps, ResetAbandonsRequestsInFlight) {
    server.Stall(Picture(1));
    Queue(1);
    queue().Step();
    EXPECT_FALSE(queue().Idle());
    queue().Reset();
    EXPECT_TRUE(queue().Idle());
    EXPECT_EQ(Slot(0).ReadyState(), HttpClient::Idle);
    queue().Step();
    EXPECT_TRUE(LogMessages(dir.path()).isEmpty());
}

TEST_F(PictureQueueSteps, FullSizeSinaPicturesFallBackToTheListedSize) {
    state().serviceKind = kSina;
    state().originalPictures = true;
    const QString withOriginal = u"http://s1.sinaimg.cn/middle/full&amp;690"_qs;
    const QString without = u"http://s2.sinaimg.cn/bmiddle/small"_qs;
    server.SetPage(withOriginal, "GIF89a-middle;", "image/gif");
    server.SetPage(u"http://s1.sinaimg.cn/orignal/full"_qs, "GIF89a-original;", "image/gif");
    server.SetPage(without, "GIF89a-bmiddle;", "image/gif");
    for (const QString& address : {withOriginal, without})
        state().statusLog().Add(u"1\r\n" + address);
    queue().Step();
    ASSERT_TRUE(WaitComplete({0, 1}));
    queue().Step(); // slot 1 got 404 for the full size: asks the listed one
    ASSERT_TRUE(WaitComplete({1}));
    queue().Step();
    EXPECT_EQ(ReadBytes(Paths().PictureFile(u"图"_qs, withOriginal)), "GIF89a-original;");
    EXPECT_EQ(ReadBytes(Paths().PictureFile(u"图"_qs, without)), "GIF89a-bmiddle;");
    EXPECT_EQ(server.LastRequest()->headers.value("referer"), "https://blog.sina.com.cn/");
    EXPECT_EQ(queue().Saved(), 2);
}

TEST_F(PictureQueueSteps, PicturesOnTheUsersOwnMachineOrNetworkAreNeverAsked) {
    state().blogAddress = u"http://blog.sina.com.cn/s/articlelist_1_0_1.html"_qs;
    const QString own = u"http://127.0.0.1:22/x.gif"_qs;
    state().statusLog().Add(u"1\r\n" + own);
    Queue(1);
    queue().Step();
    EXPECT_EQ(Slot(0).Address(), Picture(1));
    EXPECT_EQ(queue().Failed(), QStringList{own});
    EXPECT_EQ(LogMessages(dir.path()).value(0), u"拒绝访问本机或局域网的地址 1 " + own);
}

TEST_F(PictureQueueSteps, APictureCutShortIsNotSavedAndCountsFailed) {
    // Each cut where its own format says it ends, as a wrongly framed answer leaves it.
    const QByteArray cut[] = {"\xFF\xD8\xFF\xE0-jpeg", "\x89PNG\r\n\x1A\n-IHDR", "GIF89a-gif",
                              QByteArrayLiteral("BM\xA0\0\0\0-bmp"),
                              QByteArrayLiteral("RIFF\xA0\0\0\0WEBPVP8 ")};
    for (int n = 1; n <= 5; ++n) {
        server.SetPage(Picture(n), cut[n - 1], "image/gif");
        Queue(n);
    }
    server.SetPage(Picture(6), "\xFF\xD8\xFF\xE0-jpeg\xFF\xD9", "image/jpeg");
    Queue(6);
    queue().Step();
    ASSERT_TRUE(WaitComplete({0, 1, 2, 3, 4}));
    queue().Step();
    ASSERT_TRUE(WaitComplete({0}));
    queue().Step();
    for (int n = 1; n <= 5; ++n)
        EXPECT_FALSE(QFileInfo::exists(LocalFile(n))) << n;
    EXPECT_EQ(queue().Failed().size(), 5);
    EXPECT_EQ(LogMessages(dir.path()).filter(u"下载失败！图片不完整(").size(), 5);
    EXPECT_TRUE(QFileInfo::exists(LocalFile(6)));
}
