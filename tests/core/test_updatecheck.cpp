// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/updatecheck.h"
#include "platform/httpclient.h"
#include "support/fixtureserver.h"
#include "support/runtask.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <tuple>

using namespace pellomar;
using namespace pellomar::test;

namespace {

const QString kLatest = QStringLiteral("已是最新版本！");
const QString kNewer = QStringLiteral("发现新版本:20110822,点此更新");
const QString kNoAnswer = QStringLiteral("点此查看最新版本");

QCoro::Task<> Completed(HttpClient& client) {
    co_await client.Completion();
}

class UpdateCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Start());
        m_proxy.emplace(m_server);
    }
    // Ticks up to `tick` without letting the reply in, then lets it (or its failure) arrive.
    static void TickThenLetTheAnswerIn(UpdateCheck& check, int tick) {
        while (check.Tick() < tick)
            check.Step();
        auto* request = check.findChild<HttpClient*>();
        ASSERT_NE(request, nullptr);
        RunTask(Completed(*request), 5000);
    }
    void Answer(const QByteArray& body) {
        m_server.SetPage(UpdateCheck::UpdateAddress(), body, "text/plain");
    }

    QTemporaryDir m_dir;
    FixtureServer m_server;
    std::optional<ScopedProxyEnv> m_proxy;
    AppState m_state{m_dir.path()};
};

TEST_F(UpdateCheckTest, TheLastEightCharactersOfAnAnswerByTheTenthTickDecide) {
    const std::tuple<int, QByteArray, QString> cases[] = {{1, "20110821", kLatest},
                                                          {1, "<p>newest</p>20110822", kNewer},
                                                          // Not a number: as if nothing had come.
                                                          {1, "<html>error</html>", kNoAnswer},
                                                          {1, "20110822\r\n", kNoAnswer},
                                                          // In by tick 10, or only by tick 11.
                                                          {9, "20110822", kNewer},
                                                          {10, "20110822", kNoAnswer}};
    for (const auto& [tick, body, result] : cases) {
        UpdateCheck check(m_state);
        Answer(body);
        TickThenLetTheAnswerIn(check, tick);
        EXPECT_FALSE(check.Done());
        check.Step();
        EXPECT_TRUE(check.Done());
        EXPECT_EQ(check.ResultText(), result) << body.constData() << " after tick " << tick;
    }
}

TEST_F(UpdateCheckTest, NoServerAtAllEndsInTheNoAnswerText) {
    FixtureServer gone;
    ASSERT_TRUE(gone.Start());
    ScopedProxyEnv proxy(gone.ProxyUrl());
    gone.Close();
    UpdateCheck check(m_state);
    TickThenLetTheAnswerIn(check, 1);
    check.Step();
    EXPECT_EQ(check.ResultText(), kNoAnswer);
}

TEST_F(UpdateCheckTest, OnceEnabledItPostsThenCyclesTheLabelAndTheClickFollows) {
    Answer("20110822");
    UpdateCheck check(m_state);
    emit m_state.timer1Step();
    EXPECT_EQ(check.Tick(), 0) << "not enabled";
    check.Enable();
    emit m_state.timer1Step();
    TickThenLetTheAnswerIn(check, 1);
    EXPECT_EQ(m_server.LastRequest()->method, "POST");
    EXPECT_EQ(m_server.LastRequest()->url,
              u"http://update.pellomar.example.org/blog/update.asp?ver=20110821");
    QStringList labels;
    QList<bool> clicks{check.ClickOpensPublisherPage()};
    // Taken at tick 2, so the cycle starts at tick 3, in the feedback phase.
    for (int i = 0; i < 11; ++i) {
        emit m_state.timer1Step();
        labels.append(check.Label());
        clicks.append(check.ClickOpensPublisherPage());
    }
    const QString about = u"关于本程序"_qs, feedback = u"快速反馈问题"_qs;
    EXPECT_EQ(labels, (QStringList{u"版本:20110821"_qs, feedback, feedback, feedback, kNewer,
                                   kNewer, kNewer, about, about, about, feedback}));
    EXPECT_EQ(clicks, (QList<bool>{false, false, true, true, true, true, true, true, false, false,
                                   false, true}));
}

} // namespace
