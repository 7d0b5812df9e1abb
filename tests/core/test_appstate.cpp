// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "platform/browserview.h"
#include "support/runtask.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace pellomar;

TEST(AppState, SetButtonsSetsExactlyTheSixInOrder) {
    QTemporaryDir dir;
    AppState state(dir.path());
    QSignalSpy changed(&state, &AppState::buttonsChanged);
    state.SetButtons({true, false, false, true, false, true});
    EXPECT_EQ(state.Buttons(), (std::array<bool, 6>{true, false, false, true, false, true}));
    state.SetButtons({false, true, true, false, true, false});
    EXPECT_EQ(state.Buttons(), (std::array<bool, 6>{false, true, true, false, true, false}));
    EXPECT_TRUE(state.ButtonEnabled(AppState::Download));
    EXPECT_TRUE(state.ButtonEnabled(AppState::MakeChm));
    EXPECT_TRUE(state.ButtonEnabled(AppState::ExportTask));
    EXPECT_FALSE(state.ButtonEnabled(AppState::NewTask));
    EXPECT_FALSE(state.ButtonEnabled(AppState::Folder));
    EXPECT_FALSE(state.ButtonEnabled(AppState::ImportTask));
    EXPECT_EQ(changed.count(), 2);
}

TEST(AppState, PerPageReadsTheBoxOrFallsBackTo20) {
    QTemporaryDir dir;
    AppState state(dir.path());
    EXPECT_EQ(state.PerPageText(), QStringLiteral("20"));
    const std::pair<const char16_t*, int> cases[] = {
        {u"20", 20},  {u"1", 1}, {u"255", 255}, {u"0", 20},  {u"256", 20},
        {u"abc", 20}, {u"", 20}, {u"-5", 20},   {u"7x", 20}, {u"99999999999", 20}};
    for (const auto& [text, expected] : cases) {
        state.SetPerPageText(QString::fromUtf16(text));
        EXPECT_EQ(state.PerPage(), expected) << QString::fromUtf16(text).toStdString();
    }
}

namespace {

// A browser whose page load ends after loadMs (never for -1), as ok or failed.
class FakeBrowser : public BrowserView {
  public:
    FakeBrowser(int loadMs, bool ok) : m_loadMs(loadMs), m_ok(ok) {}
    void SetSilent(bool) override {}
    void Navigate(const QString&) override {
        if (m_loadMs >= 0)
            QTimer::singleShot(m_loadMs, this, [this] { emit documentComplete(m_ok); });
    }
    bool Busy() const override { return false; }
    QCoro::Task<QString> BodyOuterHtml() override { co_return QString(); }
    QCoro::Task<QList<BrowserElement>> Elements(QString) override { co_return {}; }
    QCoro::Task<bool> Click(BrowserElement) override { co_return false; }

  private:
    int m_loadMs;
    bool m_ok;
};

} // namespace

// Timer2 at 2 ms makes the limit of 300 ticks 0.6 s.
TEST(AppState, StartUpKeepsABrowserThatLoadsItsBlankPageAndUnplugsOneThatDoesNot) {
    const struct {
        int loadMs;
        bool ok;
        const char16_t* problem;
    } cases[] = {{300, true, u""},
                 {-1, true, u"内置浏览器0.6秒内没有打开空白页，搜狐和网易博客不能查找文章"},
                 {100, false, u"内置浏览器打不开空白页，搜狐和网易博客不能查找文章"}};
    for (const auto& c : cases) {
        QTemporaryDir dir;
        AppState state(dir.path());
        state.timer2().setInterval(2);
        FakeBrowser browser(c.loadMs, c.ok);
        state.SetBrowser(&browser);
        QSignalSpy messages(&state, &AppState::messageShown);
        test::RunTask(state.StartUp());
        const QString problem = QString::fromUtf16(c.problem);
        EXPECT_EQ(state.browser(), problem.isEmpty() ? &browser : nullptr);
        EXPECT_EQ(state.BrowserProblem(), problem);
        EXPECT_EQ(messages.count(), problem.isEmpty() ? 0 : 1);
        EXPECT_EQ(state.Buttons(), buttons::kAtStartUp);
        EXPECT_EQ(state.statusLog().Lines(), HelpLines());
    }
}
