// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/newtaskdialog.h"

#include "core/appstate.h"
#include "services/blogaddress.h"
#include "services/service.h"
#include "ui/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <optional>

namespace pellomar {

namespace {

const QString kChoosePrompt = QStringLiteral("请选择");
const QString kSinaHint =
    QStringLiteral("请输入名称与地址，名称可以随意，地址就是填 “博文目录” 的链接");
const QString kGeneratedHint = QStringLiteral("地址不需输入，会自动生成");

// The service whose label the selector shows, if any.
std::optional<ServiceKind> ServiceOfText(const QString& text) {
    for (int kind = 0; kind < kServiceCount; ++kind)
        if (text == ServiceLabel(ServiceKind(kind)))
            return ServiceKind(kind);
    return std::nullopt;
}

} // namespace

NewTaskDialog::NewTaskDialog(AppState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("新增"));
    setModal(false);

    m_label4 = new QLabel(QStringLiteral("博客"), this);
    m_label4->setObjectName(QStringLiteral("Label4"));
    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    for (int kind = 0; kind < kServiceCount; ++kind)
        m_combo1->addItem(ServiceLabel(ServiceKind(kind)));
    // The box sizes itself to the two-character service names; the three-character prompt
    // would scroll out of its edit field on the left.
    const QFontMetrics metrics = m_combo1->fontMetrics();
    int widest = 0;
    for (int i = 0; i < m_combo1->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(m_combo1->itemText(i)));
    m_combo1->setMinimumWidth(m_combo1->sizeHint().width() - widest +
                              metrics.horizontalAdvance(kChoosePrompt) +
                              metrics.averageCharWidth());
    m_label1 = new QLabel(QStringLiteral("名称"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_check1 = new QCheckBox(QStringLiteral("图片"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_checkOriginal = new QCheckBox(QStringLiteral("原图（图片按上传时的大小保存）"), this);
    m_checkOriginal->setObjectName(QStringLiteral("CheckOriginal"));
    m_label2 = new QLabel(QStringLiteral("地址"), this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_text2 = new QLineEdit(this);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_label3 = new QLabel(this);
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_command1 = new QPushButton(QStringLiteral("确定"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label4, 0, 0);
    grid->addWidget(m_combo1, 0, 1);
    grid->addWidget(m_label1, 0, 2);
    grid->addWidget(m_text1, 0, 3);
    grid->addWidget(m_check1, 0, 4);
    grid->addWidget(m_label2, 1, 0);
    grid->addWidget(m_text2, 1, 1, 1, 4);
    grid->addWidget(m_label3, 2, 0, 1, 5);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_checkOriginal);
    buttonRow->addStretch();
    buttonRow->addWidget(m_command1);
    buttonRow->addStretch();
    grid->addLayout(buttonRow, 3, 0, 1, 5);
    grid->setColumnStretch(3, 1);
    setMinimumWidth(520);

    connect(m_combo1, &QComboBox::activated, this, &NewTaskDialog::ChooseService);
    connect(m_text1, &QLineEdit::textChanged, this, &NewTaskDialog::NameChanged);
    connect(m_command1, &QPushButton::clicked, this, &NewTaskDialog::Confirm);

    ResetToInitial();
}

int NewTaskDialog::Position() const {
    const int index = m_combo1->currentIndex();
    return index >= 0 && m_combo1->currentText() == m_combo1->itemText(index) ? index : -1;
}

void NewTaskDialog::reject() {
    ResetToInitial();
    QDialog::reject();
}

void NewTaskDialog::ResetToInitial() {
    m_combo1->setCurrentIndex(-1);
    m_combo1->setEditText(kChoosePrompt);
    m_text1->setEnabled(true);
    m_text1->clear();
    m_text2->setEnabled(true);
    m_text2->clear();
    m_check1->setChecked(false);
    m_check1->setEnabled(true);
    m_checkOriginal->setChecked(false);
    m_checkOriginal->setEnabled(false);
    m_label3->clear();
    SetAddressLabelRed(true);
}

void NewTaskDialog::SetAddressLabelRed(bool red) {
    QPalette palette = m_label2->palette();
    palette.setColor(QPalette::WindowText,
                     red ? QColor(Qt::red) : this->palette().color(QPalette::Dark));
    m_label2->setPalette(palette);
}

void NewTaskDialog::ChooseService() {
    const std::optional<ServiceKind> kind = ServiceOfText(m_combo1->currentText());
    if (!kind)
        return;
    const Service& service = *FindService(*kind);
    const bool typedAddress = !service.blogAddress;
    m_text1->setEnabled(true);
    m_text2->setEnabled(typedAddress);
    // Setting the name runs the name rule, which builds the generated addresses; an
    // unchanged name would not, so the rule is run by hand then.
    if (m_text1->text() == service.exampleName)
        NameChanged(m_text1->text());
    else
        m_text1->setText(service.exampleName);
    if (typedAddress) {
        m_text2->setText(service.exampleAddress);
        m_label3->setText(kSinaHint);
    } else {
        m_label3->setText(kGeneratedHint);
    }
    SetAddressLabelRed(typedAddress);
    m_check1->setEnabled(service.picturesByDefault);
    m_check1->setChecked(service.picturesByDefault);
    m_checkOriginal->setEnabled(service.originalPicture != nullptr);
    m_checkOriginal->setChecked(false);
    // Typing replaces the example.
    m_text1->setFocus();
    m_text1->setSelection(0, int(m_text1->text().size()));
}

void NewTaskDialog::NameChanged(const QString& text) {
    const std::optional<ServiceKind> kind = ServiceOfText(m_combo1->currentText());
    if (!kind)
        return;
    if (FindService(*kind)->cleansTaskName) {
        // The name becomes the task folder: it is cleaned while it is typed.
        const QString cleaned = TaskNameAsTyped(*kind, text);
        if (cleaned == text)
            return;
        const int cursor = int(TaskNameAsTyped(*kind, text.left(m_text1->cursorPosition())).size());
        m_text1->setText(cleaned);
        m_text1->setCursorPosition(cursor);
        return;
    }
    if (const std::optional<QString> address = GeneratedBlogAddress(*kind, text))
        m_text2->setText(*address);
}

void NewTaskDialog::Confirm() {
    const int position = Position();
    if (position < 0) {
        ShowPlainMessage(this, QStringLiteral("请输入正确信息"));
        return;
    }
    hide();
    m_state.savePictures = m_check1->isChecked();
    m_state.originalPictures = m_checkOriginal->isEnabled() && m_checkOriginal->isChecked();
    emit startRequested(ServiceKind(position), m_text1->text(), m_text2->text());
}

} // namespace pellomar
