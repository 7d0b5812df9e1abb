// SPDX-License-Identifier: GPL-3.0-or-later
// The window driven as a user drives it, against the sample Sina blog on the loopback
// server (reached as the HTTP proxy).
#include "core/appstate.h"
#include "demo/sampleblog.h"
#include "download/engine.h"
#include "services/blogaddress.h"
#include "support/baiduhexunblogs.h"
#include "support/fixtureserver.h"
#include "support/scriptblogs.h"
#include "ui/mainwindow.h"
#include "ui/newtaskdialog.h"
#include "uitest.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <tuple>

using namespace pellomar;
using pellomar::test::PickFromList;
using pellomar::test::TypeText;

namespace {

const QString kTaskName = QStringLiteral("我的博客");

// Notes whether a widget was disabled at any moment while it is watched.
struct EnabledWatch : QObject {
    explicit EnabledWatch(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    ~EnabledWatch() override { m_widget->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && !m_widget->isEnabled())
            wasDisabled = true;
        return false;
    }
    QWidget* m_widget;
    bool wasDisabled = false;
};

class UserFlowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_server.Start());
        m_proxy.emplace(m_server);
        sample::SampleOptions options;
        options.articleCount = 12;
        options.categoryCount = 2;
        options.favouriteCount = 1;
        options.picturesPerArticle = 1;
        m_blog = sample::GenerateSampleBlog(options);
        sample::ServeSampleBlog(m_blog, m_server);

        m_engine = std::make_unique<Engine>(m_dir.path());
        m_window = std::make_unique<MainWindow>(*m_engine);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void TearDown() override {
        // An operation still running would resume into a destroyed state.
        EXPECT_TRUE(WaitUntilIdle());
        test::DismissMessages(m_window.get());
        m_window.reset();
        m_engine.reset();
    }

    bool WaitUntilIdle(int timeoutMs = 60'000) {
        QElapsedTimer clock;
        clock.start();
        while (m_window->Busy() && clock.elapsed() < timeoutMs) {
            QSignalSpy finished(m_window.get(), &MainWindow::operationFinished);
            if (m_window->Busy())
                finished.wait(int(timeoutMs - clock.elapsed()));
        }
        return !m_window->Busy();
    }

    AppState& State() { return m_engine->state(); }
    template <class W> W* Control(QWidget* in, const QString& name) {
        W* widget = in->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QPushButton* Command(int n) {
        return Control<QPushButton>(m_window.get(), u"Command" + QString::number(n));
    }
    QString Caption() { return Control<QLabel>(m_window.get(), u"Label2"_qs)->text(); }
    QAbstractItemModel* Grid() { return Control<QTableView>(m_window.get(), u"msh"_qs)->model(); }
    std::array<bool, 7> ButtonStates() {
        std::array<bool, 7> states{};
        for (int n = 1; n <= 7; ++n)
            states[n - 1] = Command(n)->isEnabled();
        return states;
    }

    // "新建", "新浪", a name and the blog's first list page, "确定"; then the search.
    void NewSinaTask() {
        QTest::mouseClick(Command(1), Qt::LeftButton);
        NewTaskDialog* dialog = m_window->dialog();
        ASSERT_NE(dialog, nullptr);
        PickFromList(Control<QComboBox>(dialog, u"Combo1"_qs), 0);
        auto* name = Control<QLineEdit>(dialog, u"Text1"_qs);
        TypeText(name, kTaskName); // replaces the selected example
        auto* address = Control<QLineEdit>(dialog, u"Text2"_qs);
        address->setFocus();
        address->selectAll();
        TypeText(address, sample::FirstPageAddress(m_blog));
        QTest::mouseClick(Control<QPushButton>(dialog, u"Command1"_qs), Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
        ASSERT_TRUE(WaitUntilIdle());
    }

    // "新建", a service whose address is built from the name, the name, "确定"; then the
    // search.
    void NewNamedTask(int service, const QString& name) {
        QTest::mouseClick(Command(1), Qt::LeftButton);
        NewTaskDialog* dialog = m_window->dialog();
        ASSERT_NE(dialog, nullptr);
        PickFromList(Control<QComboBox>(dialog, u"Combo1"_qs), service);
        TypeText(Control<QLineEdit>(dialog, u"Text1"_qs), name);
        QTest::mouseClick(Control<QPushButton>(dialog, u"Command1"_qs), Qt::LeftButton);
        ASSERT_TRUE(WaitUntilIdle());
    }

    int BlogArticles() const { return int(m_blog.articles.size() + m_blog.favourites.size()); }

    QTemporaryDir m_dir;
    test::FixtureServer m_server;
    std::optional<test::ScopedProxyEnv> m_proxy;
    sample::SampleBlog m_blog;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(UserFlowTest, NewSinaTaskFillsTheGridThenDownloadsAndConverts) {
    NewSinaTask();
    EXPECT_EQ(State().taskName, kTaskName);
    EXPECT_EQ(State().blogAddress, sample::FirstPageAddress(m_blog));
    EXPECT_TRUE(State().savePictures);
    EXPECT_EQ(Caption(), u"文章寻找完成，按“下载”开始下载，或者保存本次任务");
    // Every article and favourite, plus the empty last row.
    ASSERT_EQ(Grid()->rowCount(), BlogArticles() + 1);
    EXPECT_EQ(Grid()->index(0, 0).data().toString(), u"1");
    EXPECT_EQ(Grid()->index(0, 3).data().toString(),
              sample::CategoryListing(m_blog, m_blog.categories[0])[0].link);
    EXPECT_EQ(Grid()->index(0, 2).data().toString(), m_blog.categories[0].name);
    EXPECT_EQ((ButtonStates()), (std::array<bool, 7>{true, true, false, true, true, true, true}));
    // The status list holds the list pages that were read.
    auto* list = Control<QListView>(m_window.get(), u"List1"_qs);
    ASSERT_GT(list->model()->rowCount(), 0);
    EXPECT_TRUE(list->model()->index(0, 0).data().toString().contains(u"articlelist_"));

    QTest::mouseClick(Command(2), Qt::LeftButton);
    EXPECT_EQ((ButtonStates()),
              (std::array<bool, 7>{false, false, false, true, false, false, true}));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ((ButtonStates()), (std::array<bool, 7>{false, false, true, true, true, false, true}));
    for (int row = 0; row < BlogArticles(); ++row)
        EXPECT_EQ(Grid()->index(row, 6).data().toString(), u"●") << row;
    EXPECT_TRUE(QFileInfo::exists(m_dir.path() + u'/' + kTaskName + u"/index.html"));

    // A second press cannot start a second conversion into the same files: the button is
    // off while the run lasts (a short run may end before the click returns).
    EnabledWatch watch(Command(7));
    QTest::mouseClick(Command(7), Qt::LeftButton);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(watch.wasDisabled);
    EXPECT_TRUE(Command(7)->isEnabled());
    EXPECT_EQ(Caption(), u"转换TXT完成,一共" + QString::number(BlogArticles()) + u"个");

    // The CHM leaves the pages in place: the EPUB can still be made, and says where it is.
    QTest::mouseClick(Command(3), Qt::LeftButton);
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_EQ(Caption(), u"打包CHM成功！");
    auto* epub = Control<QPushButton>(m_window.get(), u"epubButton"_qs);
    ASSERT_TRUE(epub->isEnabled());
    QTest::mouseClick(epub, Qt::LeftButton);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(Caption(), u"生成EPUB成功！保存为" +
                             QDir::toNativeSeparators(m_dir.path() + u'/' + kTaskName + u".epub"));
    EXPECT_TRUE(epub->isEnabled());
}

TEST_F(UserFlowTest, ExportedTaskComesBackThroughTheImportButton) {
    NewSinaTask();
    ASSERT_EQ(State().table().ArticleCount(), BlogArticles());
    const QString firstTitle = State().table().Cell(1, ArticleTable::Title);

    QTest::mouseClick(Command(5), Qt::LeftButton);
    const QString taskFile = m_dir.path() + u'/' + kTaskName + u".ini";
    ASSERT_TRUE(QFileInfo::exists(taskFile));
    EXPECT_EQ(Caption(), kTaskName + u".ini 导出成功! 放在程序目录");

    // Another task replaces the table; the import brings the first one back.
    State().table().Reset();
    State().taskName = u"other"_qs;
    QTest::mouseClick(Command(6), Qt::LeftButton);
    auto* picker = m_window->findChild<QFileDialog*>(u"importDialog"_qs);
    ASSERT_NE(picker, nullptr);
    picker->selectFile(taskFile);
    static_cast<QDialog*>(picker)->accept(); // public as a QDialog
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(State().taskName, kTaskName);
    EXPECT_EQ(Grid()->rowCount(), BlogArticles() + 1);
    EXPECT_EQ(Grid()->index(0, 1).data().toString(), firstTitle);
    EXPECT_EQ(Caption(), u"导入新浪: " + kTaskName + u" 成功! 请按下载开始");
    EXPECT_EQ((ButtonStates()), (std::array<bool, 7>{true, true, false, true, false, true, true}));
}

TEST_F(UserFlowTest, NewBaiduAndHexunTasksReadTheBlogAtTheAddressBuiltFromTheName) {
    const test::FixtureBlog baidu = test::BaiduBlog(u"lanting"_qs, 15);
    const test::FixtureBlog hexun = test::HexunBlog(u"caijing"_qs, 15);
    for (const auto& [blog, service, pictures] :
         {std::tuple{&baidu, 1, true}, std::tuple{&hexun, 2, false}}) {
        test::ServeBlog(*blog, m_server);
        NewNamedTask(service, blog->account);
        EXPECT_EQ(State().blogAddress, *GeneratedBlogAddress(blog->kind, blog->account));
        EXPECT_EQ(State().savePictures, pictures);
        ASSERT_EQ(Grid()->rowCount(), blog->articles.size() + 1);
        EXPECT_EQ(Grid()->index(0, 1).data().toString(), blog->articles[0].title);
        EXPECT_EQ(Grid()->index(14, 2).data().toString(), blog->articles[14].category);
        EXPECT_EQ(Caption(), u"文章寻找完成，按“下载”开始下载，或者保存本次任务");
    }
}

#ifdef PELLOMAR_BROWSER_PLUGIN_FILE
// The window as the program makes it: no browser until the first Sohu task loads the plugin.
// Chromium keeps the proxy of the process's first browser, so this is the one test making one.
class BrowserUserFlowTest : public UserFlowTest {
  protected:
    void SetUp() override {
        qputenv("PELLOMAR_BROWSER_PLUGIN", PELLOMAR_BROWSER_PLUGIN_FILE);
        UserFlowTest::SetUp();
        State().UseBrowserPlugin();
    }
};

TEST_F(BrowserUserFlowTest, NewSohuAndNetEaseTasksAreReadThroughTheBrowserThenDownloaded) {
    EXPECT_EQ((ButtonStates()), (std::array<bool, 7>{true, false, false, true, false, true, true}));
    EXPECT_EQ(State().browser(), nullptr);
    for (const test::ScriptBlog& blog : {test::MakeScriptBlog(kSohu, u"caochong"_qs, 7),
                                         test::MakeScriptBlog(kNetEase, u"wangyi"_qs, 7)}) {
        test::ServeScriptBlog(blog, m_server);
        NewNamedTask(blog.kind == kSohu ? 4 : 3, blog.account);
        const QList<QStringList> rows = test::ExpectedScriptRows(blog);
        ASSERT_EQ(Grid()->rowCount(), rows.size() + 1);
        for (int row = 0; row < rows.size(); ++row)
            for (int column = 1; column <= 5; ++column)
                EXPECT_EQ(Grid()->index(row, column).data().toString(), rows[row][column - 1]);
        EXPECT_EQ(Caption(), u"文章寻找完成，按“下载”开始下载，或者保存本次任务");
    }
    QTest::mouseClick(Command(2), Qt::LeftButton);
    ASSERT_TRUE(WaitUntilIdle());
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(Grid()->index(row, 6).data().toString(), u"●") << row;
}
#endif

} // namespace
