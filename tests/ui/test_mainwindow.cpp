// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/updatecheck.h"
#include "download/engine.h"
#include "support/fixtureserver.h"
#include "ui/chinese.h"
#include "ui/loginbar.h"
#include "ui/mainwindow.h"
#include "ui/newtaskdialog.h"
#include "uitest.h"

#include <QAbstractFileIconProvider>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTranslator>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <memory>

using namespace pellomar;
using pellomar::test::DismissMessages;
using pellomar::test::DoubleClick;
using pellomar::test::OpenedUrls;
using pellomar::test::OpenMessages;
using pellomar::test::TypeText;

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_engine = std::make_unique<Engine>(m_dir.path());
        m_window = std::make_unique<MainWindow>(*m_engine);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void TearDown() override {
        DismissMessages(m_window.get());
        m_window.reset();
        m_engine.reset();
    }

    AppState& State() { return m_engine->state(); }
    template <class W> W* Control(const QString& name) {
        W* widget = m_window->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QPushButton* Command(int n) { return Control<QPushButton>(u"Command" + QString::number(n)); }
    QTableView* Grid() { return Control<QTableView>(u"msh"_qs); }
    QListView* List() { return Control<QListView>(u"List1"_qs); }

    void AddArticles(int count, const QString& category = u"随笔"_qs) {
        for (int i = 0; i < count; ++i)
            State().table().AddArticle(u"标题" + QString::number(i), category,
                                       u"blog_" + QString::number(i) + u".html",
                                       u"2011-08-21 10:20"_qs);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, StartsWithHelpLinesEmptyGridAndStartUpButtons) {
    EXPECT_EQ(m_window->objectName(), u"form1");
    // The desktop adds the program's name itself.
    EXPECT_EQ(m_window->windowTitle(), u"博客备份 版本:20110821");
    EXPECT_FALSE(m_window->Busy());

    const QStringList help = {
        u"第一步：按“新建”新建一个博客下载任务"_qs,
        u"第二步：接着会开始寻找文章，寻找完以后就按“下载”开始下载"_qs,
        u"第三步：下载完成后按“生成CHM”生成CHM或下载完成后按“转TXT”生成TXT"_qs,
        u"注意：系统中必须装有chmcmd（fp-utils软件包），否则不能打包CHM"_qs,
        u"注意：由于博客格式经常更新，如发现下载出错请及时反馈，谢谢！"_qs,
    };
    QAbstractItemModel* lines = List()->model();
    ASSERT_EQ(lines->rowCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(lines->index(i, 0).data().toString(), help[i]) << i;

    QAbstractItemModel* grid = Grid()->model();
    const QStringList headers = {QString(),  u"标题"_qs, u"分类"_qs, u"链接"_qs,
                                 u"日期"_qs, u"页数"_qs, QString()};
    ASSERT_EQ(grid->columnCount(), 7);
    const int widths[] = {46, 320, 186, 213, 133, 40, 20};
    int columnsWidth = 0;
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(grid->headerData(c, Qt::Horizontal).toString(), headers[c]) << c;
        columnsWidth += Grid()->columnWidth(c);
        if (c != 1) {
            EXPECT_EQ(Grid()->columnWidth(c), widths[c]) << c;
        }
    }
    // The title takes the rest: no empty band beside the columns.
    EXPECT_GE(Grid()->columnWidth(1), widths[1]);
    EXPECT_EQ(columnsWidth, Grid()->viewport()->width());
    // Only the empty last row.
    EXPECT_EQ(grid->rowCount(), 1);

    const bool enabled[] = {true, false, false, true, false, true, true};
    const QStringList captions = {u"新建"_qs, u"下载"_qs, u"生成CHM"_qs, u"目录"_qs,
                                  u"导出"_qs, u"导入"_qs, u"转TXT"_qs};
    for (int n = 1; n <= 7; ++n) {
        EXPECT_EQ(Command(n)->text(), captions[n - 1]);
        EXPECT_EQ(Command(n)->isEnabled(), enabled[n - 1]) << n;
    }
    for (int slot = 0; slot < 5; ++slot) {
        auto* indicator = Control<QLabel>(u"Label5_" + QString::number(slot));
        EXPECT_EQ(indicator->text(), u"○");
        EXPECT_TRUE(indicator->toolTip().startsWith(u"第" + QString::number(slot + 1) + u"路"));
    }
    EXPECT_EQ(Control<QLineEdit>(u"Text2"_qs)->text(), u"20");
    EXPECT_EQ(Control<QLabel>(u"Label1"_qs)->text(), u"每页");
    EXPECT_EQ(Control<QLabel>(u"Label3"_qs)->text(), u"版本:20110821");
    EXPECT_EQ(m_window->dialog(), nullptr);
}

TEST_F(MainWindowTest, ControlsFollowTheSharedState) {
    State().SetCaption(u"正在查找文章.."_qs);
    EXPECT_EQ(Control<QLabel>(u"Label2"_qs)->text(), u"正在查找文章..");

    State().SetButtons({false, false, false, false, false, false});
    for (int n = 1; n <= 6; ++n)
        EXPECT_FALSE(Command(n)->isEnabled()) << n;
    EXPECT_TRUE(Command(7)->isEnabled());
    State().SetButtons({false, true, true, true, true, false});
    const bool enabled[] = {false, true, true, true, true, false};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(Command(n)->isEnabled(), enabled[n - 1]) << n;

    State().SetIndicator(3, u"●"_qs);
    EXPECT_EQ(Control<QLabel>(u"Label5_3"_qs)->text(), u"●");

    auto* perPage = Control<QLineEdit>(u"Text2"_qs);
    perPage->selectAll();
    TypeText(perPage, u"35"_qs);
    EXPECT_EQ(State().PerPageText(), u"35");
    EXPECT_EQ(State().PerPage(), 35);

    State().statusLog().Select(2);
    EXPECT_EQ(List()->currentIndex().row(), 2);
    EXPECT_TRUE(List()->selectionModel()->isRowSelected(2, {}));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                      List()->visualRect(List()->model()->index(4, 0)).center());
    EXPECT_EQ(State().statusLog().Selected(), 4);

    State().ShowMessage(u"没有找到文章"_qs);
    const QList<QMessageBox*> boxes = OpenMessages(m_window.get());
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->text(), u"没有找到文章");
    EXPECT_EQ(boxes[0]->standardButtons(), QMessageBox::Ok);
}

TEST_F(MainWindowTest, GridKeepsTheNewestRowsInViewWhileItFills) {
    m_window->resize(800, 500);
    AddArticles(60);
    ASSERT_EQ(State().table().TopRow(), 62 - 5);
    QAbstractItemModel* model = Grid()->model();
    const QRect viewport = Grid()->viewport()->rect();
    // The last article and the empty row below it are in view, the first one is not.
    EXPECT_TRUE(viewport.contains(Grid()->visualRect(model->index(59, 1)))) << "newest row";
    EXPECT_FALSE(viewport.intersects(Grid()->visualRect(model->index(0, 1)))) << "oldest row";
    EXPECT_EQ(model->index(59, 0).data().toString(), u"60");

    State().table().Reset();
    EXPECT_TRUE(viewport.contains(Grid()->visualRect(model->index(0, 1))));
}

TEST_F(MainWindowTest, DoubleClicksOpenPicturesListPagesAndArticles) {
    OpenedUrls opened;
    StatusLog& log = State().statusLog();
    log.Clear();
    log.Add(u"12\r\nhttp://s1.sinaimg.cn/middle/abc.jpg"_qs);
    log.Add(u"http://blog.sina.com.cn/s/articlelist_42_0_2.html"_qs);
    log.Add(u"没有找到文章，请检查地址！"_qs);
    for (int row = 0; row < 3; ++row) {
        const QPoint at = List()->visualRect(List()->model()->index(row, 0)).center();
        DoubleClick(List()->viewport(), at);
    }
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0], QUrl(u"http://s1.sinaimg.cn/middle/abc.jpg"_qs));
    EXPECT_EQ(opened.urls[1], QUrl(u"http://blog.sina.com.cn/s/articlelist_42_0_2.html"_qs));

    opened.urls.clear();
    State().serviceKind = kSina;
    State().taskName = u"mytask"_qs;
    AddArticles(2, u"旅行 笔记"_qs);
    State().table().SetMark(1, u"●"_qs);
    State().table().SetMark(2, u"○"_qs);
    for (int row = 0; row < 3; ++row) {
        const QPoint at = Grid()->visualRect(Grid()->model()->index(row, 1)).center();
        DoubleClick(Grid()->viewport(), at);
    }
    // Downloaded: the local page; not yet: the service's page; the empty row: nothing.
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(m_dir.path() + u"/mytask/旅行_笔记/blog_0.html"));
    EXPECT_EQ(opened.urls[1], QUrl(u"http://blog.sina.com.cn/s/blog_1.html"_qs));

    opened.urls.clear();
    QTest::mouseClick(Command(4), Qt::LeftButton);
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(m_dir.path()));
}

TEST_F(MainWindowTest, FolderButtonSaysWhereTheFolderIsWhenNoFileManagerStarts) {
    // No opener on the path: the desktop's open fails.
    QTemporaryDir emptyPath;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", emptyPath.path().toLocal8Bit());
    QTest::mouseClick(Command(4), Qt::LeftButton);
    qputenv("PATH", path);
    const QList<QMessageBox*> boxes = OpenMessages(m_window.get());
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0]->text().endsWith(QDir::toNativeSeparators(m_dir.path())));
}

TEST_F(MainWindowTest, ListAndGridFollowTheWindowAndTheSmallestWindowShowsRows) {
    // The rule counts the outer size: 600 twips are 40 pixels, 3300 twips 220.
    m_window->resize(1200, 700);
    const QSize outer = m_window->frameGeometry().size();
    EXPECT_EQ(List()->width(), outer.width() - 40);
    EXPECT_EQ(Grid()->width(), outer.width() - 40);
    EXPECT_EQ(Grid()->height(), outer.height() - 220);

    AddArticles(20);
    m_window->resize(0, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_GT(Grid()->rowAt(Grid()->viewport()->height() - 1) - Grid()->rowAt(0) + 1, 4);
    EXPECT_LE(Grid()->geometry().bottom(), m_window->height()) << "the grid ends inside";
}

TEST_F(MainWindowTest, WheelMovesTheGridByThreeRowsPerNotchOnlyWithTheFocusAndNoKeyHeld) {
    AddArticles(40);
    struct Case {
        const char* what;
        bool focus;
        Qt::KeyboardModifiers keys;
        QPoint delta;
        int events;
        int topRow;
    };
    const Case cases[] = {
        {"notch down", true, {}, {0, -120}, 1, 13},
        {"notch up", true, {}, {0, 120}, 1, 7},
        {"without the focus", false, {}, {0, -120}, 1, 10},
        {"with Ctrl held", true, Qt::ControlModifier, {0, -120}, 1, 10},
        {"sideways", true, {}, {-120, 0}, 1, 10},
        {"three fine steps", true, {}, {0, -40}, 3, 13},
        {"two fine steps", true, {}, {0, -40}, 2, 10},
    };
    const QPoint at = Grid()->viewport()->rect().center();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        State().table().SetTopRow(10);
        ASSERT_EQ(Grid()->rowAt(0), 9);
        (c.focus ? static_cast<QWidget*>(Grid()) : List())->setFocus();
        for (int i = 0; i < c.events; ++i) {
            QWheelEvent wheel(at, Grid()->viewport()->mapToGlobal(at), {}, c.delta, Qt::NoButton,
                              c.keys, Qt::NoScrollPhase, false);
            QApplication::sendEvent(Grid()->viewport(), &wheel);
        }
        EXPECT_EQ(State().table().TopRow(), c.topRow);
        EXPECT_EQ(Grid()->rowAt(0), c.topRow - 1) << "the grid shows the top row";
        EXPECT_EQ(Grid()->horizontalScrollBar()->value(), 0);
    }
}

TEST_F(MainWindowTest, VersionLabelShowsTheCheckAndItsClickAboutOrThePublisher) {
    OpenedUrls opened;
    auto* label = Control<QLabel>(u"Label3"_qs);
    QTest::mouseClick(label, Qt::LeftButton);
    auto* about = m_window->findChild<QMessageBox*>(u"about"_qs);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->icon(), QMessageBox::Information);
    EXPECT_TRUE(about->text().contains(u"如发现下载不了的博客"));
    about->accept();
    // No answer by the eleventh tick; four ticks on, the feedback phase opens the page.
    test::FixtureServer server;
    ASSERT_TRUE(server.Start());
    test::ScopedProxyEnv proxy(server);
    UpdateCheck& check = m_window->updateCheck();
    while (!check.Done() || check.Tick() != 3)
        check.Step();
    EXPECT_EQ(label->text(), u"快速反馈问题");
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl(u"http://www.pellomar.example.org/company.html"_qs)});
}

TEST_F(MainWindowTest, QtsOwnDialogsSpeakChinese) {
    QTranslator* chinese = InstallQtChinese();
    ASSERT_NE(chinese, nullptr) << "Qt's Chinese catalogue (qt6-translations-l10n) is missing";
    QTest::mouseClick(Command(6), Qt::LeftButton);
    auto* buttons = m_window->findChild<QFileDialog*>()->findChild<QDialogButtonBox*>();
    EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text(), u"打开(&O)");
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), u"取消");
    State().ShowMessage(u"没有找到文章"_qs);
    EXPECT_EQ(OpenMessages(m_window.get()).constFirst()->button(QMessageBox::Ok)->text(), u"确定");
    QCoreApplication::removeTranslator(chinese);
    delete chinese;
}

TEST_F(MainWindowTest, NewTaskShowsOneDialogWithoutBlockingTheWindow) {
    QTest::mouseClick(Command(1), Qt::LeftButton);
    NewTaskDialog* dialog = m_window->dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QTest::mouseClick(Command(1), Qt::LeftButton);
    EXPECT_EQ(m_window->dialog(), dialog);
    EXPECT_EQ(m_window->findChildren<NewTaskDialog*>().size(), 1);
}

TEST_F(MainWindowTest, ClosingTheWindowClosesTheDialogAndEndsTheProgram) {
    QSignalSpy closed(m_window.get(), &MainWindow::closed);
    QTest::mouseClick(Command(1), Qt::LeftButton);
    ASSERT_TRUE(m_window->dialog()->isVisible());
    m_window->close();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(m_window->dialog()->isVisible());
    EXPECT_EQ(closed.size(), 1);
}

TEST_F(MainWindowTest, WithoutTheBrowserLoginIsDisabledAndSaysWhy) {
    auto* login = Control<QPushButton>(u"loginButton"_qs);
    EXPECT_FALSE(login->isEnabled());
    EXPECT_TRUE(login->toolTip().contains(u"没有内置浏览器"));
    EXPECT_EQ(Control<QLabel>(u"loginState"_qs)->text(), u"未登录");
    m_window->login().SetHooks({[](QWidget*) {}, [] {}});
    EXPECT_TRUE(login->isEnabled());
}

TEST_F(MainWindowTest, ImportAsksForATaskFileInTheProgramFolderAndCancelChangesNothing) {
    AddArticles(3);
    State().SetCaption(u"before"_qs);
    QTest::mouseClick(Command(6), Qt::LeftButton);
    auto* picker = m_window->findChild<QFileDialog*>(u"importDialog"_qs);
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(picker->nameFilters(), QStringList{u"任务文件 (*.ini)"_qs});
    EXPECT_EQ(QDir(picker->directory()).canonicalPath(), QDir(m_dir.path()).canonicalPath());
    EXPECT_EQ(picker->fileMode(), QFileDialog::ExistingFile);
    // Qt's own catalogue leaves a folder's type in English.
    ASSERT_NE(picker->iconProvider(), nullptr);
    EXPECT_EQ(picker->iconProvider()->type(QFileInfo(m_dir.path())), u"文件夹");
    picker->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(State().table().ArticleCount(), 3);
    EXPECT_EQ(State().Caption(), u"before");
    EXPECT_FALSE(m_window->Busy());
}

} // namespace
