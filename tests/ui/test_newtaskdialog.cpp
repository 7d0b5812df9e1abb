// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "ui/newtaskdialog.h"
#include "uitest.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;
using pellomar::test::DismissMessages;
using pellomar::test::OpenMessages;
using pellomar::test::PickFromList;
using pellomar::test::TypeText;

namespace {

const QString kGeneratedHint = QStringLiteral("地址不需输入，会自动生成");

class NewTaskDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_dialog = new NewTaskDialog(m_state);
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog));
    }
    void TearDown() override {
        DismissMessages(m_dialog);
        delete m_dialog.data();
    }

    template <class W> W* Control(const char* name) {
        W* widget = m_dialog->findChild<W*>(QLatin1StringView(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QComboBox* Combo() { return Control<QComboBox>("Combo1"); }
    QLineEdit* Name() { return Control<QLineEdit>("Text1"); }
    QLineEdit* Address() { return Control<QLineEdit>("Text2"); }
    QCheckBox* Pictures() { return Control<QCheckBox>("Check1"); }
    QLabel* AddressLabel() { return Control<QLabel>("Label2"); }
    QLabel* Hint() { return Control<QLabel>("Label3"); }
    QPushButton* Ok() { return Control<QPushButton>("Command1"); }
    QColor AddressLabelColour() { return AddressLabel()->palette().color(QPalette::WindowText); }
    QColor Grey() { return m_dialog->palette().color(QPalette::Dark); }

    void Choose(const QString& label) {
        const int index = Combo()->findText(label);
        ASSERT_GE(index, 0) << label.toStdString();
        PickFromList(Combo(), index);
        ASSERT_EQ(Combo()->currentText(), label);
    }
    // Replaces the name box's text by typing, one key at a time.
    void TypeName(const QString& text) {
        Name()->setFocus();
        Name()->selectAll();
        QTest::keyClick(Name(), Qt::Key_Delete);
        TypeText(Name(), text);
    }

    QTemporaryDir m_dir;
    AppState m_state{m_dir.path()};
    QPointer<NewTaskDialog> m_dialog;
};

TEST_F(NewTaskDialogTest, OpensWithNoServiceChosenAndThePromptShown) {
    EXPECT_EQ(m_dialog->objectName(), u"Form2");
    EXPECT_EQ(m_dialog->windowTitle(), u"新增");
    EXPECT_FALSE(m_dialog->isModal());
    ASSERT_EQ(Combo()->count(), 5);
    const QStringList labels = {u"新浪"_qs, u"百度"_qs, u"和讯"_qs, u"网易"_qs, u"搜狐"_qs};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Combo()->itemText(i), labels[i]);
    EXPECT_TRUE(Combo()->isEditable());
    EXPECT_EQ(Combo()->currentText(), u"请选择");
    // Whole: the edit field holds the prompt, its two-pixel side margins and the cursor.
    QLineEdit* field = Combo()->lineEdit();
    EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(u"请选择"_qs) + 5);
    EXPECT_EQ(m_dialog->Position(), -1);
    EXPECT_FALSE(Pictures()->isChecked());
    EXPECT_TRUE(Pictures()->isEnabled());
    EXPECT_EQ(Pictures()->text(), u"图片");
    EXPECT_EQ(AddressLabel()->text(), u"地址");
    EXPECT_EQ(AddressLabelColour(), QColor(Qt::red));
    EXPECT_EQ(Ok()->text(), u"确定");
}

TEST_F(NewTaskDialogTest, SinaFillsAnExampleNameAndListAddressAndTicksPictures) {
    Choose(u"新浪"_qs);
    EXPECT_EQ(m_dialog->Position(), 0);
    EXPECT_FALSE(Name()->text().isEmpty());
    EXPECT_TRUE(
        QRegularExpression(u"^http://blog\\.sina\\.com\\.cn/s/articlelist_\\d+_0_1\\.html$"_qs)
            .match(Address()->text())
            .hasMatch())
        << Address()->text().toStdString();
    EXPECT_TRUE(Name()->isEnabled());
    EXPECT_TRUE(Address()->isEnabled());
    EXPECT_EQ(Hint()->text(), u"请输入名称与地址，名称可以随意，地址就是填 “博文目录” 的链接");
    EXPECT_EQ(AddressLabelColour(), QColor(Qt::red));
    EXPECT_TRUE(Pictures()->isEnabled());
    EXPECT_TRUE(Pictures()->isChecked());
    // The example is selected, so that typing replaces it.
    EXPECT_TRUE(Name()->hasFocus());
    EXPECT_EQ(Name()->selectedText(), Name()->text());
}

TEST_F(NewTaskDialogTest, GeneratedAddressesFollowTheExampleNameAndLockTheAddressBox) {
    struct Case {
        QString label;
        QString prefix;
        QString suffix;
    };
    const QList<Case> cases = {
        {u"百度"_qs, u"http://hi.baidu.com/"_qs, u"/blog"_qs},
        {u"和讯"_qs, u"http://"_qs, u".blog.hexun.com"_qs},
        {u"网易"_qs, u"http://"_qs, u".blog.163.com/blog/#m=0"_qs},
        {u"搜狐"_qs, u"http://"_qs, u".blog.sohu.com/entry/"_qs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label.toStdString());
        Choose(c.label);
        const QString name = Name()->text();
        EXPECT_FALSE(name.isEmpty());
        EXPECT_EQ(Address()->text(), c.prefix + name + c.suffix);
        EXPECT_FALSE(Address()->isEnabled());
        EXPECT_TRUE(Name()->isEnabled());
        EXPECT_EQ(Hint()->text(), kGeneratedHint);
        EXPECT_EQ(AddressLabelColour(), Grey());
        EXPECT_NE(AddressLabelColour(), QColor(Qt::red));
        EXPECT_EQ(Name()->selectedText(), name);
    }
}

TEST_F(NewTaskDialogTest, PicturesBoxFollowsTheService) {
    Choose(u"和讯"_qs);
    EXPECT_FALSE(Pictures()->isChecked());
    EXPECT_FALSE(Pictures()->isEnabled());
    Choose(u"网易"_qs);
    EXPECT_TRUE(Pictures()->isChecked());
    EXPECT_TRUE(Pictures()->isEnabled());
    Choose(u"和讯"_qs);
    Choose(u"搜狐"_qs);
    EXPECT_TRUE(Pictures()->isChecked());
    EXPECT_TRUE(Pictures()->isEnabled());
    Choose(u"和讯"_qs);
    Choose(u"百度"_qs);
    EXPECT_TRUE(Pictures()->isChecked());
    EXPECT_TRUE(Pictures()->isEnabled());
    // Back to Sina: the address box opens again and the label turns red.
    Choose(u"新浪"_qs);
    EXPECT_TRUE(Address()->isEnabled());
    EXPECT_EQ(AddressLabelColour(), QColor(Qt::red));
}

TEST_F(NewTaskDialogTest, NetEaseAddressIsRewrittenAfterEveryKeystroke) {
    Choose(u"网易"_qs);
    Name()->selectAll();
    QString typed;
    for (const QChar c : u"ab.c d"_qs) {
        TypeText(Name(), QString(c));
        typed += c;
        // The name is used exactly as typed: not trimmed, cleaned or escaped.
        EXPECT_EQ(Address()->text(), u"http://" + typed + u".blog.163.com/blog/#m=0");
    }
    EXPECT_EQ(Name()->text(), u"ab.c d");
}

TEST_F(NewTaskDialogTest, SinaNameIsCleanedWhileTypedAndTheAddressIsLeftAlone) {
    Choose(u"新浪"_qs);
    Address()->setFocus();
    Address()->selectAll();
    TypeText(Address(), u"http://blog.sina.com.cn/s/articlelist_42_0_1.html"_qs);
    TypeName(u"我的 博客?<b>50%"_qs);
    EXPECT_EQ(Name()->text(), u"我的_博客_b50");
    EXPECT_EQ(Name()->cursorPosition(), Name()->text().size());
    EXPECT_EQ(Address()->text(), u"http://blog.sina.com.cn/s/articlelist_42_0_1.html");

    // Typing in the middle: the removed character does not throw the cursor to the end.
    Name()->setCursorPosition(2);
    TypeText(Name(), u"\"x"_qs);
    EXPECT_EQ(Name()->text(), u"我的x_博客_b50");
    EXPECT_EQ(Name()->cursorPosition(), 3);
}

TEST_F(NewTaskDialogTest, ConfirmWithoutAServiceShowsTheMessageAndKeepsTheDialog) {
    QSignalSpy started(m_dialog, &NewTaskDialog::startRequested);
    QTest::mouseClick(Ok(), Qt::LeftButton);
    QList<QMessageBox*> boxes = OpenMessages(m_dialog);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->text(), u"请输入正确信息");
    EXPECT_EQ(boxes[0]->standardButtons(), QMessageBox::Ok);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(started.size(), 0);
    DismissMessages(m_dialog);

    // Text typed into the selector is no choice either, even after a real one.
    Choose(u"百度"_qs);
    Combo()->lineEdit()->selectAll();
    TypeText(Combo()->lineEdit(), u"百度空间"_qs);
    EXPECT_EQ(m_dialog->Position(), -1);
    QTest::mouseClick(Ok(), Qt::LeftButton);
    boxes = OpenMessages(m_dialog);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->text(), u"请输入正确信息");
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(started.size(), 0);
}

TEST_F(NewTaskDialogTest, ConfirmHidesTheDialogSetsPicturesAndAsksForTheRun) {
    QSignalSpy started(m_dialog, &NewTaskDialog::startRequested);
    Choose(u"百度"_qs);
    TypeName(QString());
    EXPECT_EQ(Address()->text(), u"http://hi.baidu.com//blog");
    QTest::mouseClick(Pictures(), Qt::LeftButton);
    ASSERT_FALSE(Pictures()->isChecked());
    m_state.savePictures = true;

    QTest::mouseClick(Ok(), Qt::LeftButton);
    EXPECT_TRUE(OpenMessages(m_dialog).isEmpty());
    EXPECT_FALSE(m_dialog->isVisible());
    ASSERT_FALSE(m_dialog.isNull());
    EXPECT_FALSE(m_state.savePictures);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0][0].value<ServiceKind>(), kBaidu);
    EXPECT_EQ(started[0][1].toString(), QString());
    EXPECT_EQ(started[0][2].toString(), u"http://hi.baidu.com//blog");

    // Shown again, it still holds the task just confirmed.
    m_dialog->show();
    EXPECT_EQ(Combo()->currentText(), u"百度");
    EXPECT_EQ(m_dialog->Position(), 1);
    EXPECT_EQ(Address()->text(), u"http://hi.baidu.com//blog");
    EXPECT_FALSE(Address()->isEnabled());
    EXPECT_FALSE(Pictures()->isChecked());
    EXPECT_EQ(AddressLabelColour(), Grey());
}

TEST_F(NewTaskDialogTest, ClosingThroughTheFrameCancelsAndForgets) {
    QSignalSpy started(m_dialog, &NewTaskDialog::startRequested);
    Choose(u"和讯"_qs);
    TypeName(u"someone"_qs);
    m_dialog->close();
    EXPECT_FALSE(m_dialog->isVisible());
    ASSERT_FALSE(m_dialog.isNull());
    EXPECT_EQ(started.size(), 0);

    m_dialog->show();
    EXPECT_EQ(Combo()->currentText(), u"请选择");
    // Whole: the edit field holds the prompt, its two-pixel side margins and the cursor.
    QLineEdit* field = Combo()->lineEdit();
    EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(u"请选择"_qs) + 5);
    EXPECT_EQ(m_dialog->Position(), -1);
    EXPECT_TRUE(Name()->text().isEmpty());
    EXPECT_TRUE(Address()->text().isEmpty());
    EXPECT_TRUE(Address()->isEnabled());
    EXPECT_FALSE(Pictures()->isChecked());
    EXPECT_TRUE(Pictures()->isEnabled());
    EXPECT_EQ(AddressLabelColour(), QColor(Qt::red));
}

} // namespace
