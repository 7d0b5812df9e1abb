// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include "core/appstate.h"
#include "core/taskfile.h"
#include "core/updatecheck.h"
#include "discovery/discovery.h"
#include "download/downloader.h"
#include "download/engine.h"
#include "packaging/chmpacker.h"
#include "packaging/epubexport.h"
#include "packaging/markdownexport.h"
#include "packaging/textexport.h"
#include "ui/chinese.h"
#include "ui/loginbar.h"
#include "ui/messagebox.h"
#include "ui/newtaskdialog.h"
#include "ui/windowrules.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace pellomar {

namespace {

constexpr int kMargin = 8;
constexpr int kGap = 4;
// The smallest window still shows this many article rows.
constexpr int kMinimumRows = 8;
const QString kTextUtf8Setting = QStringLiteral("textExport/utf8");

QString ObjectName(const char* base, int index) {
    return QLatin1StringView(base) + QString::number(index);
}

// Pages and folders go to the desktop's own opener; a failure is ignored.
void OpenInDesktop(const QUrl& url) {
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

} // namespace

MainWindow::MainWindow(Engine& engine, QWidget* parent) : QWidget(parent), m_engine(engine) {
    setObjectName(QStringLiteral("form1"));
    // The desktop adds the program's name after it.
    setWindowTitle(QStringLiteral("博客备份 ") + kVersionLabel);
    m_updateCheck = new UpdateCheck(state(), this);
    BuildControls();
    ConnectState();
    // Without a browser the start-up does not yield, so the window leaves here loaded;
    // with one it finishes once the blank page has loaded.
    Launch(state().StartUp());
}

MainWindow::~MainWindow() = default;

AppState& MainWindow::state() {
    return m_engine.state();
}

void MainWindow::BuildControls() {
    m_list1 = new QListView(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setModel(&state().statusLog());
    m_list1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list1->setUniformItemSizes(true);

    // The caption, with the version label at its right end.
    auto* captionBar = new QWidget(this);
    m_label2 = new QLabel(captionBar);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setTextFormat(Qt::PlainText);
    m_label3 = new QLabel(kVersionLabel, captionBar);
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_label3->setTextFormat(Qt::PlainText);
    m_label3->setCursor(Qt::PointingHandCursor);
    m_label3->installEventFilter(this);
    // A long caption is cut rather than pushing the login aside.
    m_label2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_login = new LoginBar(state().network(), captionBar);
    auto* captionRow = new QHBoxLayout(captionBar);
    captionRow->setContentsMargins(0, 0, 0, 0);
    captionRow->addWidget(m_label2, 1);
    captionRow->addWidget(m_login);
    captionRow->addSpacing(12);
    captionRow->addWidget(m_label3);

    const QStringList captions = {QStringLiteral("新建"),    QStringLiteral("下载"),
                                  QStringLiteral("生成CHM"), QStringLiteral("目录"),
                                  QStringLiteral("导出"),    QStringLiteral("导入"),
                                  QStringLiteral("转TXT")};
    auto* buttonBar = new QWidget(this);
    auto* buttons = new QHBoxLayout(buttonBar);
    buttons->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < int(m_commands.size()); ++i) {
        m_commands[i] = new QPushButton(captions[i], buttonBar);
        m_commands[i]->setObjectName(ObjectName("Command", i + 1));
        buttons->addWidget(m_commands[i]);
    }
    // Beside "转TXT": GBK shows as garbage in a Linux desktop's editors. Remembered.
    m_textUtf8 = new QCheckBox(QStringLiteral("UTF-8"), buttonBar);
    m_textUtf8->setObjectName(QStringLiteral("textUtf8Box"));
    m_textUtf8->setToolTip(
        QStringLiteral("转TXT写成UTF-8编码（Linux的编辑器）；不选时是GBK（Windows的记事本）"));
    m_textUtf8->setChecked(QSettings().value(kTextUtf8Setting, false).toBool());
    connect(m_textUtf8, &QCheckBox::toggled, this,
            [](bool on) { QSettings().setValue(kTextUtf8Setting, on); });
    buttons->addWidget(m_textUtf8);
    // The EPUB and the Markdown site need what the CHM needs, so they follow "生成CHM"
    // outside the six states.
    m_epub = new QPushButton(QStringLiteral("生成EPUB"), buttonBar);
    m_epub->setObjectName(QStringLiteral("epubButton"));
    buttons->insertWidget(3, m_epub);
    m_markdown = new QPushButton(QStringLiteral("生成Markdown"), buttonBar);
    m_markdown->setObjectName(QStringLiteral("markdownButton"));
    buttons->insertWidget(4, m_markdown);
    connect(&state(), &AppState::buttonsChanged, this, &MainWindow::UpdateBookButtons);
    UpdateBookButtons();
    connect(m_epub, &QPushButton::clicked, this, [this] { Launch(ExportEpub(state())); });
    connect(m_markdown, &QPushButton::clicked, this, [this] { Launch(ExportMarkdown(state())); });
    buttons->addSpacing(12);
    for (int slot = 0; slot < int(m_label5.size()); ++slot) {
        m_label5[slot] = new QLabel(state().Indicator(slot), buttonBar);
        m_label5[slot]->setObjectName(ObjectName("Label5_", slot));
        m_label5[slot]->setToolTip(
            QStringLiteral("第%1路文章下载：○ 空闲，★◆■ 轮换表示正在下载，● 刚下载完一篇")
                .arg(slot + 1));
        buttons->addWidget(m_label5[slot]);
    }
    buttons->addSpacing(12);
    auto* perPageLabel = new QLabel(QStringLiteral("每页"), buttonBar);
    perPageLabel->setObjectName(QStringLiteral("Label1"));
    buttons->addWidget(perPageLabel);
    m_text2 = new QLineEdit(state().PerPageText(), buttonBar);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setFixedWidth(m_text2->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    buttons->addWidget(m_text2);

    m_msh = new QTableView(this);
    m_msh->setObjectName(QStringLiteral("msh"));
    m_msh->setModel(&state().table());
    m_msh->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_msh->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_msh->setSelectionMode(QAbstractItemView::SingleSelection);
    m_msh->setWordWrap(false);
    m_msh->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_msh->verticalHeader()->hide();
    m_msh->verticalHeader()->setDefaultSectionSize(m_msh->fontMetrics().height() + 6);
    m_msh->horizontalHeader()->setHighlightSections(false);
    // The mark column is narrower than the style's usual minimum.
    m_msh->horizontalHeader()->setMinimumSectionSize(ArticleTable::kWidthsTwips.back() /
                                                     kTwipsPerPixel);
    for (int column = 0; column < ArticleTable::kColumns; ++column)
        m_msh->setColumnWidth(column, ArticleTable::kWidthsTwips[column] / kTwipsPerPixel);
    // The wheel reaches the grid through its viewport, whose width the columns fill, or
    // through its scroll bars.
    for (QWidget* part : {m_msh->viewport(), static_cast<QWidget*>(m_msh->verticalScrollBar()),
                          static_cast<QWidget*>(m_msh->horizontalScrollBar())})
        part->installEventFilter(this);

    // Fixed places from the top down, like the form they come from: only the widths of the
    // list and the grid and the grid's height follow the window (resizeEvent).
    const int barWidth = buttonBar->sizeHint().width();
    // Chinese lines come from a fallback font, taller than the Latin one's metrics say.
    const int lineHeight =
        m_list1->fontMetrics().boundingRect(QStringLiteral("第一步")).height() + 1;
    const int listHeight = lineHeight * 6 + 2 * m_list1->frameWidth() + 4;
    m_list1->setGeometry(kMargin, kMargin, barWidth, listHeight);
    captionBar->setGeometry(kMargin, m_list1->geometry().bottom() + 1 + kGap, barWidth,
                            captionBar->sizeHint().height());
    buttonBar->setGeometry(kMargin, captionBar->geometry().bottom() + 1 + kGap, barWidth,
                           buttonBar->sizeHint().height());
    m_msh->move(kMargin, buttonBar->geometry().bottom() + 1 + kGap);

    SetMinimumToShowRows(kMinimumRows);
    // Wide enough for the grid's columns at their own widths, its frame and its scroll bar.
    int gridWidth = m_msh->width() - m_msh->maximumViewportSize().width();
    for (int width : ArticleTable::kWidthsTwips)
        gridWidth += width / kTwipsPerPixel;
    resize(std::max(gridWidth + kListMarginTwips / kTwipsPerPixel, minimumWidth()), 640);
}

void MainWindow::SetMinimumToShowRows(int rows) {
    const int gridHeight = m_msh->horizontalHeader()->sizeHint().height() +
                           rows * m_msh->verticalHeader()->defaultSectionSize() +
                           m_msh->horizontalScrollBar()->sizeHint().height() +
                           2 * m_msh->frameWidth();
    // Read backwards, the layout rule gives the window that holds this grid and the list as
    // wide as the bars above the grid.
    setMinimumSize(m_list1->width() + kListMarginTwips / kTwipsPerPixel,
                   gridHeight + kGridHeightAllowanceTwips / kTwipsPerPixel);
}

void MainWindow::ConnectState() {
    AppState& s = state();
    connect(&s, &AppState::captionChanged, m_label2, &QLabel::setText);
    connect(&s, &AppState::buttonsChanged, this, &MainWindow::UpdateButtons);
    connect(&s, &AppState::indicatorChanged, this,
            [this](int slot, const QString& text) { m_label5.at(slot)->setText(text); });
    connect(&s, &AppState::perPageTextChanged, this, [this](const QString& text) {
        if (m_text2->text() != text)
            m_text2->setText(text);
    });
    connect(m_text2, &QLineEdit::textChanged, &s, &AppState::SetPerPageText);
    connect(&s, &AppState::messageShown, this,
            [this](const QString& text) { ShowPlainMessage(this, text); });
    m_label2->setText(s.Caption());
    connect(m_updateCheck, &UpdateCheck::labelChanged, m_label3, &QLabel::setText);

    connect(&s.table(), &ArticleTable::topRowChanged, this, &MainWindow::FollowTopRow);
    connect(m_msh, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { ArticleDoubleClicked(index.row() + 1); });

    connect(&s.statusLog(), &StatusLog::selectionChanged, this, &MainWindow::FollowStatusSelection);
    connect(m_list1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const int row = current.isValid() ? current.row() : -1;
                if (row != state().statusLog().Selected())
                    state().statusLog().Select(row);
            });
    connect(m_list1, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { StatusLineDoubleClicked(index.row()); });

    connect(m_commands[0], &QPushButton::clicked, this, &MainWindow::NewTask);
    connect(m_commands[1], &QPushButton::clicked, this, &MainWindow::Download);
    connect(m_commands[2], &QPushButton::clicked, this, &MainWindow::MakeChmClicked);
    connect(m_commands[3], &QPushButton::clicked, this, &MainWindow::OpenProgramFolder);
    connect(m_commands[4], &QPushButton::clicked, this, &MainWindow::ExportTaskClicked);
    connect(m_commands[5], &QPushButton::clicked, this, &MainWindow::ImportTaskClicked);
    connect(m_commands[6], &QPushButton::clicked, this, &MainWindow::ExportTextClicked);
    UpdateButtons();
}

void MainWindow::UpdateButtons() {
    const std::array<bool, 6>& on = state().Buttons();
    for (int i = 0; i < int(on.size()); ++i)
        m_commands[i]->setEnabled(on[i]);
    // "转TXT" is outside the button states; it only waits for its own run to end.
    m_commands[6]->setEnabled(!state().textExportRunning);
}

// After a CHM the task's pages are still there: its EPUB can be made too.
void MainWindow::UpdateBookButtons() {
    const ButtonStates& on = state().Buttons();
    if (on != buttons::kBusy && on != buttons::kChmBuilt)
        m_chmBuilt = false;
    const bool book = on[AppState::MakeChm] || (m_chmBuilt && on == buttons::kChmBuilt);
    m_epub->setEnabled(book);
    m_markdown->setEnabled(book);
}

void MainWindow::ChmFinished() {
    m_chmBuilt = state().Buttons() == buttons::kChmBuilt;
    UpdateBookButtons();
}

void MainWindow::FollowTopRow(int row) {
    const QModelIndex index = state().table().index(row - 1, 0);
    if (!index.isValid())
        return;
    m_msh->scrollTo(index, QAbstractItemView::PositionAtTop);
}

void MainWindow::FollowStatusSelection(int index) {
    const QModelIndex item = state().statusLog().index(index, 0);
    if (!item.isValid()) {
        m_list1->selectionModel()->clearSelection();
        return;
    }
    m_list1->selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    m_list1->scrollTo(item);
}

template <typename T> void MainWindow::Launch(QCoro::Task<T>&& task, void (MainWindow::*done)()) {
    ++m_running;
    QCoro::connect(std::move(task), this, [this, done] { Finished(done); });
}

void MainWindow::Finished(void (MainWindow::*done)()) {
    --m_running;
    if (done)
        (this->*done)();
    emit operationFinished();
}

void MainWindow::NewTask() {
    if (!m_dialog) {
        m_dialog = new NewTaskDialog(state(), this);
        connect(m_dialog, &NewTaskDialog::startRequested, this, &MainWindow::StartDiscovery);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void MainWindow::StartDiscovery(ServiceKind blg, const QString& bt, const QString& htp) {
    // A run still waiting stops by itself once this one has begun.
    Launch(Start(state(), blg, bt, htp));
}

void MainWindow::Download() {
    Launch(DownloadArticles(state()));
}

void MainWindow::MakeChmClicked() {
    Launch(MakeChm(state()), &MainWindow::ChmFinished);
}

void MainWindow::OpenProgramFolder() {
    const QString folder = state().programFolder();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        ShowPlainMessage(this, u"没有能打开文件夹的文件管理器，程序目录在：" +
                                   QDir::toNativeSeparators(folder));
}

void MainWindow::ExportTaskClicked() {
    ExportTask(state());
}

void MainWindow::ImportTaskClicked() {
    auto* picker = new QFileDialog(this, QString(), state().programFolder(),
                                   QStringLiteral("任务文件 (*.ini)"));
    picker->setObjectName(QStringLiteral("importDialog"));
    picker->setIconProvider(ChineseFileTypes());
    picker->setAttribute(Qt::WA_DeleteOnClose);
    picker->setFileMode(QFileDialog::ExistingFile);
    picker->setAcceptMode(QFileDialog::AcceptOpen);
    connect(picker, &QFileDialog::fileSelected, this, [this](const QString& path) {
        if (!path.isEmpty())
            OpenTaskFile(path);
    });
    picker->open();
}

void MainWindow::OpenTaskFile(const QString& path) {
    Launch(ImportTask(state(), path));
}

void MainWindow::ExportTextClicked() {
    Launch(ExportText(state(), m_textUtf8->isChecked() ? TextEncoding::Utf8 : TextEncoding::Gbk),
           &MainWindow::TextExportFinished);
    UpdateButtons();
}

void MainWindow::TextExportFinished() {
    UpdateButtons();
}

void MainWindow::StatusLineDoubleClicked(int index) {
    OpenInDesktop(QUrl(StatusLineAddress(state().statusLog().Line(index)), QUrl::TolerantMode));
}

void MainWindow::ArticleDoubleClicked(int row) {
    OpenInDesktop(ArticleToOpen(state(), row));
}

void MainWindow::VersionLabelClicked() {
    if (m_updateCheck->ClickOpensPublisherPage()) {
        OpenInDesktop(QUrl(UpdateCheck::PublisherPage()));
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationDisplayName(),
                                UpdateCheck::AboutText(), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("about"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The rule counts the outer size, frame and title bar included.
    const QSize outer = event->size() + (frameGeometry().size() - geometry().size());
    const std::optional<GridLayoutTwips> layout =
        LayoutForWindow(outer.width() * kTwipsPerPixel, outer.height() * kTwipsPerPixel);
    if (!layout)
        return;
    m_list1->resize(layout->listWidth / kTwipsPerPixel, m_list1->height());
    m_msh->resize(layout->gridWidth / kTwipsPerPixel, layout->gridHeight / kTwipsPerPixel);
}

void MainWindow::FitTitleColumn() {
    // The title takes what a wider grid gains, so no empty band is left beside the columns.
    int others = 0;
    for (int column = 0; column < ArticleTable::kColumns; ++column)
        if (column != ArticleTable::Title)
            others += m_msh->columnWidth(column);
    const int room = m_msh->viewport()->width() - others;
    m_msh->setColumnWidth(
        ArticleTable::Title,
        std::max(room, ArticleTable::kWidthsTwips[ArticleTable::Title] / kTwipsPerPixel));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel &&
        (watched == m_msh->viewport() || watched == m_msh->verticalScrollBar() ||
         watched == m_msh->horizontalScrollBar()))
        return WheelOnGrid(static_cast<QWheelEvent*>(event));
    if (watched == m_msh->viewport() && event->type() == QEvent::Resize)
        FitTitleColumn();
    if (watched == m_label3 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        m_label3->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        VersionLabelClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Only the notches of this handler move the grid: Qt's own scrolling (without the focus,
// with a key held, by pixels) never runs. Finer wheels and touchpads add up to notches.
bool MainWindow::WheelOnGrid(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    if (!m_msh->hasFocus() || delta.x() != 0 || delta.y() == 0) {
        m_wheelRest = 0;
        return true;
    }
    if ((m_wheelRest < 0) != (delta.y() < 0))
        m_wheelRest = 0;
    m_wheelRest += delta.y();
    const bool held = event->modifiers() != Qt::NoModifier || event->buttons() != Qt::NoButton;
    while (std::abs(m_wheelRest) >= kWheelNotch) {
        const int notch = m_wheelRest < 0 ? -kWheelNotch : kWheelNotch;
        m_wheelRest -= notch;
        // The row at the grid's top as the user sees it, whatever scrolled it there.
        const int shown = m_msh->rowAt(0);
        const int topRow = shown >= 0 ? shown + 1 : state().table().TopRow();
        if (const std::optional<int> row =
                WheelTopRow(topRow, state().table().RowCount(), notch, held))
            state().table().SetTopRow(*row);
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_dialog)
        m_dialog->close();
    event->accept();
    emit closed();
}

} // namespace pellomar
