// SPDX-License-Identifier: GPL-3.0-or-later
// The window's login through the real browser: a fixture login page whose form answers
// with a Sina login cookie, wired as the program wires it.
#include "browser/logindialog.h"
#include "browser/loginprofile.h"
#include "demo/sampleblog.h"
#include "discovery/discovery.h"
#include "download/downloader.h"
#include "download/engine.h"
#include "services/service.h"
#include "support/browserserver.h"
#include "support/runtask.h"
#include "support/sinatoday.h"
#include "ui/loginbar.h"
#include "ui/mainwindow.h"
#include "ui/newtaskdialog.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <memory>

namespace pellomar::test {
namespace {

// Plain http: Chromium trusts no test authority.
const QString kLoginPage = u"http://login.sina.com.cn/signup/signin.php?entry=blog"_qs;
const QUrl kBlog(u"https://blog.sina.com.cn/"_qs);
constexpr int kWaitMs = 15'000;

class WindowLogin : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_data.isValid());
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
        browserServer->SetPage(kLoginPage, "<form method=post action=/sso/login.php>"
                                           "<input name=user><input name=pass type=password>"
                                           "</form>");
        LoopbackServer::Response answer;
        answer.contentType = "text/html; charset=utf-8";
        answer.body = "<p>ok</p>";
        answer.headers = {{"Set-Cookie", "SUB=login-secret; domain=.sina.com.cn; path=/"}};
        browserServer->SetResponse(u"http://login.sina.com.cn/sso/login.php"_qs, answer);
    }
    void TearDown() override {
        Stop();
        // Chromium writes the profile's last files just after it is gone.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return QDir(m_data.path()).removeRecursively(); }, kWaitMs));
        qputenv("XDG_DATA_HOME", m_savedDataHome);
    }

    void Start() {
        m_engine = std::make_unique<Engine>(m_tasks.path());
        m_login = std::make_unique<LoginProfile>(Net(), &IsServiceCookie);
        m_window = std::make_unique<MainWindow>(*m_engine);
        m_window->login().SetHooks(
            {[this](QWidget* parent) { LoginDialog::Open(*m_login, kLoginPage, parent); },
             [this] { m_login->LogOut(); }});
        m_login->LoadCookies();
        m_window->show();
    }
    // The page goes before its profile, as the program's order has it.
    void Stop() {
        m_window.reset();
        m_login.reset();
        m_engine.reset();
    }

    Network& Net() { return m_engine->state().network(); }
    QString LoginState() { return m_window->findChild<QLabel*>(u"loginState"_qs)->text(); }
    void Click(const char* button) {
        QTest::mouseClick(m_window->findChild<QPushButton*>(QLatin1StringView(button)),
                          Qt::LeftButton);
    }

    // Opens the dialog through 登录 and waits for its page.
    LoginDialog* OpenDialog() {
        Click("loginButton");
        auto* dialog = m_window->findChild<LoginDialog*>();
        if (!dialog)
            return nullptr;
        bool loaded = false;
        QObject::connect(dialog->view(), &QWebEngineView::loadFinished, dialog,
                         [&](bool ok) { loaded = ok; });
        return QTest::qWaitFor([&] { return loaded; }, kWaitMs) ? dialog : nullptr;
    }
    // The page's answer; a test without one fails.
    QVariant RunScript(LoginDialog* dialog, const QString& script) {
        auto result = std::make_shared<std::optional<QVariant>>();
        if (dialog)
            dialog->view()->page()->runJavaScript(script,
                                                  [result](const QVariant& v) { *result = v; });
        if (!dialog || !QTest::qWaitFor([&] { return result->has_value(); }, kWaitMs))
            ADD_FAILURE() << "the login page gave no answer";
        return result->value_or(QVariant());
    }
    bool LogIn() {
        RunScript(OpenDialog(), u"const f = document.forms[0]; f.user.value = '读者';"
                                "f.pass.value = 'p'; f.submit(); 1"_qs);
        return QTest::qWaitFor([&] { return Net().HasCookiesFor(kBlog); }, kWaitMs);
    }

    QTemporaryDir m_data;
    QTemporaryDir m_tasks;
    QByteArray m_savedDataHome;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<LoginProfile> m_login;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(WindowLogin, TheFormsSinaCookieReachesTheEngineAndOtherSitesCookiesDoNot) {
    // A folder another program made readable by all is the user's alone afterwards.
    ASSERT_TRUE(QDir().mkpath(LoginProfile::StorageFolder()));
    Start();
    EXPECT_TRUE(LoginProfile::StorageFolder().startsWith(m_data.path()));
    EXPECT_EQ(QFile::permissions(LoginProfile::StorageFolder()) & 0x0077, 0);
    EXPECT_EQ(LoginState(), u"未登录");

    ASSERT_TRUE(LogIn());
    EXPECT_EQ(LoginState(), u"已登录新浪");

    QWebEngineCookieStore* store = m_login->profile()->cookieStore();
    bool seen = false;
    QObject::connect(store, &QWebEngineCookieStore::cookieAdded, m_window.get(),
                     [&](const QNetworkCookie& c) { seen |= c.name() == "elsewhere"; });
    store->setCookie(QNetworkCookie("elsewhere", "v"), QUrl(u"http://www.example.org/"_qs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen; }, kWaitMs));
    EXPECT_FALSE(Net().HasCookiesFor(QUrl(u"http://www.example.org/"_qs)));
}

TEST_F(WindowLogin, ALoginKeptFromTheLastRunIsLoadedAtStartAndLogOutEmptiesBoth) {
    Start();
    ASSERT_TRUE(LogIn());
    Stop();
    Start();
    EXPECT_TRUE(Net().HasCookiesFor(kBlog));
    EXPECT_EQ(LoginState(), u"已登录新浪");

    Click("logoutButton");
    EXPECT_FALSE(Net().HasCookiesFor(kBlog));
    EXPECT_EQ(LoginState(), u"未登录");
    EXPECT_FALSE(QFile::exists(LoginProfile::CookiesCopy()));
    // The page on Sina's domain no longer sees the login either.
    EXPECT_FALSE(RunScript(OpenDialog(), u"document.cookie"_qs).toString().contains(u"SUB="));
}

TEST_F(WindowLogin, TheLoginOpensAnOwnerOnlyBlogToTheWindowsDiscoveryAndDownload) {
    sample::SampleOptions options;
    options.articleCount = 8;
    options.favouriteCount = 0;
    const sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    SinaTodayServer walled;
    ASSERT_TRUE(walled.Start());
    walled.Serve(blog);
    walled.RequireLogin("SUB=login-secret");
    Start();
    AppState& state = m_engine->state();
    RunTask(state.StartUp());
    // The engine asks the walled blog; Chromium stays with the run's server.
    state.network().SetHttpProxy(u"127.0.0.1"_qs, walled.Port());
    const QString address = sample::FirstPageAddress(blog);
    EXPECT_FALSE(RunTask(pellomar::Start(state, kSina, u"私人"_qs, address), kWaitMs).ok);
    EXPECT_TRUE(state.Caption().startsWith(u"这个博客只有作者登录后才能看"))
        << state.Caption().toStdString();

    ASSERT_TRUE(LogIn());
    const Outcome found = RunTask(pellomar::Start(state, kSina, u"私人"_qs, address), kWaitMs);
    EXPECT_EQ(found.articles, blog.articles.size());
    EXPECT_TRUE(
        RunTask(WaitForPictures(state, RunTask(DownloadArticles(state), kWaitMs)), kWaitMs).ok);
}

} // namespace
} // namespace pellomar::test
