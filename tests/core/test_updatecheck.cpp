// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/updatecheck.h"
#include "platform/httpclient.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace pellomar;
using namespace pellomar::test;

namespace {

const QString kLatest = QStringLiteral("已是最新版本！");
const QString kNoAnswer = QStringLiteral("点此查看最新版本");

QCoro::Task<> Completed(HttpClient& client) {
    co_await client.Completion();
}

class UpdateCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_server.Start());
        m_proxy.emplace(m_server);
    }

    void Answer(const QByteArray& body) {
        m_server.SetPage(UpdateCheck::UpdateAddress(), body, "text/plain");
    }
    // Ticks until the counter reaches `tick`, without letting a reply in between.
    void StepTo(int tick) {
        while (m_check.Tick() < tick)
            m_check.Step();
    }
    // Lets the request's answer (or its failure) arrive.
    void AwaitAnswer() {
        auto* request = m_check.findChild<HttpClient*>();
        ASSERT_NE(request, nullptr);
        RunTask(Completed(*request), 5000);
    }

    QTemporaryDir m_dir;
    FixtureServer m_server;
    std::optional<ScopedProxyEnv> m_proxy;
    AppState m_state{m_dir.path()};
    UpdateCheck m_check{m_state};
};

TEST_F(UpdateCheckTest, RunsOnlyOnceEnabledAndPostsAtTheFirstTick) {
    Answer("20110821");
    emit m_state.timer1Step();
    EXPECT_EQ(m_check.Tick(), 0);
    EXPECT_EQ(m_server.TotalRequests(), 0);

    m_check.Enable();
    emit m_state.timer1Step();
    EXPECT_EQ(m_check.Tick(), 1);
    AwaitAnswer();
    ASSERT_TRUE(m_server.LastRequest());
    EXPECT_EQ(m_server.LastRequest()->method, "POST");
    EXPECT_EQ(m_server.LastRequest()->url,
              u"http://update.pellomar.example.org/blog/update.asp?ver=20110821");
    EXPECT_EQ(m_check.Label(), u"版本:20110821");
    emit m_state.timer1Step();
    EXPECT_TRUE(m_check.Done());
    EXPECT_EQ(m_check.ResultText(), kLatest);
}

TEST_F(UpdateCheckTest, TheLastEightCharactersAreComparedWithTheVersion) {
    const std::pair<QByteArray, QString> cases[] = {
        {"20110821", kLatest},
        {"<p>newest</p>20110822", u"发现新版本:20110822,点此更新"_qs},
        {"20110820", kLatest},
        // Not a number: as if nothing had come.
        {"<html>error</html>", kNoAnswer},
        {"20110822\r\n", kNoAnswer},
        {"", kNoAnswer},
    };
    for (const auto& [body, result] : cases) {
        UpdateCheck check(m_state);
        Answer(body);
        check.Step();
        auto* request = check.findChild<HttpClient*>();
        ASSERT_NE(request, nullptr);
        RunTask(Completed(*request), 5000);
        check.Step();
        EXPECT_TRUE(check.Done()) << body.constData();
        EXPECT_EQ(check.ResultText(), result) << body.constData();
    }
}

TEST_F(UpdateCheckTest, AnAnswerIsTakenAtTheTenthTickButNotAtTheEleventh) {
    Answer("20110822");
    StepTo(9);
    AwaitAnswer();
    EXPECT_FALSE(m_check.Done());
    m_check.Step();
    EXPECT_TRUE(m_check.Done());
    EXPECT_EQ(m_check.ResultText(), u"发现新版本:20110822,点此更新");

    UpdateCheck late(m_state);
    while (late.Tick() < 10)
        late.Step();
    auto* request = late.findChild<HttpClient*>();
    ASSERT_NE(request, nullptr);
    RunTask(Completed(*request), 5000);
    late.Step();
    EXPECT_TRUE(late.Done());
    EXPECT_EQ(late.ResultText(), kNoAnswer);
}

TEST_F(UpdateCheckTest, NoServerAtAllEndsInTheNoAnswerText) {
    // A proxy port nothing listens on.
    FixtureServer gone;
    ASSERT_TRUE(gone.Start());
    const QString address = gone.ProxyUrl();
    gone.Close();
    ScopedProxyEnv proxy(address);
    StepTo(1);
    AwaitAnswer();
    m_check.Step();
    EXPECT_TRUE(m_check.Done());
    EXPECT_EQ(m_check.ResultText(), kNoAnswer);
}

TEST_F(UpdateCheckTest, LabelCyclesEveryNineTicksAndTheClickFollowsIt) {
    Answer("20110822");
    StepTo(1);
    EXPECT_FALSE(m_check.ClickOpensPublisherPage());
    AwaitAnswer();
    StepTo(3);
    // Taken at tick 2: the cycle starts on tick 3, in the feedback phase.
    QStringList labels;
    QList<bool> clicks;
    for (int i = 0; i < 10; ++i) {
        labels.append(m_check.Label());
        clicks.append(m_check.ClickOpensPublisherPage());
        m_check.Step();
    }
    const QString fresh = u"发现新版本:20110822,点此更新"_qs;
    const QString about = u"关于本程序"_qs;
    const QString feedback = u"快速反馈问题"_qs;
    EXPECT_EQ(labels, (QStringList{feedback, feedback, feedback, fresh, fresh, fresh, about, about,
                                   about, feedback}));
    EXPECT_EQ(clicks, (QList<bool>{true, true, true, true, true, true, false, false, false, true}));
}

} // namespace
