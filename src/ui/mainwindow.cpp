// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/taskfile.h"
#include "discovery/discovery.h"
#include "download/downloader.h"
#include "download/engine.h"
#include "packaging/chmpacker.h"
#include "packaging/textexport.h"
#include "ui/messagebox.h"
#include "ui/newtaskdialog.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace pellomar {

namespace {

constexpr int kTwipsPerPixel = 15;
const QString kDownloadedMark = QStringLiteral("●");

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
    setWindowTitle(QStringLiteral("Pellomar ") + kVersionText);
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
    m_list1->setFixedHeight(m_list1->fontMetrics().height() * 6 + 12);

    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setTextFormat(Qt::PlainText);

    m_msh = new QTableView(this);
    m_msh->setObjectName(QStringLiteral("msh"));
    m_msh->setModel(&state().table());
    m_msh->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_msh->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_msh->setSelectionMode(QAbstractItemView::SingleSelection);
    m_msh->setWordWrap(false);
    m_msh->verticalHeader()->hide();
    m_msh->verticalHeader()->setDefaultSectionSize(m_msh->fontMetrics().height() + 6);
    m_msh->horizontalHeader()->setHighlightSections(false);
    // The mark column is narrower than the style's usual minimum.
    m_msh->horizontalHeader()->setMinimumSectionSize(ArticleTable::kWidthsTwips.back() /
                                                     kTwipsPerPixel);
    for (int column = 0; column < ArticleTable::kColumns; ++column)
        m_msh->setColumnWidth(column, ArticleTable::kWidthsTwips[column] / kTwipsPerPixel);

    const QStringList captions = {QStringLiteral("新建"),    QStringLiteral("下载"),
                                  QStringLiteral("生成CHM"), QStringLiteral("目录"),
                                  QStringLiteral("导出"),    QStringLiteral("导入"),
                                  QStringLiteral("转TXT")};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < int(m_commands.size()); ++i) {
        m_commands[i] = new QPushButton(captions[i], this);
        m_commands[i]->setObjectName(ObjectName("Command", i + 1));
        buttons->addWidget(m_commands[i]);
    }
    buttons->addStretch();
    for (int slot = 0; slot < int(m_label5.size()); ++slot) {
        m_label5[slot] = new QLabel(state().Indicator(slot), this);
        m_label5[slot]->setObjectName(ObjectName("Label5_", slot));
        buttons->addWidget(m_label5[slot]);
    }
    buttons->addSpacing(12);
    auto* perPageLabel = new QLabel(QStringLiteral("每页"), this);
    perPageLabel->setObjectName(QStringLiteral("Label1"));
    buttons->addWidget(perPageLabel);
    m_text2 = new QLineEdit(state().PerPageText(), this);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setFixedWidth(m_text2->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    buttons->addWidget(m_text2);
    buttons->addSpacing(12);
    m_label3 = new QLabel(kVersionText, this);
    m_label3->setObjectName(QStringLiteral("Label3"));
    buttons->addWidget(m_label3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list1);
    layout->addWidget(m_label2);
    layout->addWidget(m_msh, 1);
    layout->addLayout(buttons);

    // The grid's columns side by side, plus room for the frame and the scroll bar.
    int gridWidth = 0;
    for (int width : ArticleTable::kWidthsTwips)
        gridWidth += width / kTwipsPerPixel;
    resize(gridWidth + 60, 640);
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
    Launch(MakeChm(state()));
}

void MainWindow::OpenProgramFolder() {
    OpenInDesktop(QUrl::fromLocalFile(state().programFolder()));
}

void MainWindow::ExportTaskClicked() {
    ExportTask(state());
}

void MainWindow::ImportTaskClicked() {
    auto* picker = new QFileDialog(this, QString(), state().programFolder(),
                                   QStringLiteral("INI File (*.ini)"));
    picker->setObjectName(QStringLiteral("importDialog"));
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
    Launch(ExportText(state()), &MainWindow::TextExportFinished);
    UpdateButtons();
}

void MainWindow::TextExportFinished() {
    UpdateButtons();
}

void MainWindow::StatusLineDoubleClicked(int index) {
    const QString line = state().statusLog().Line(index);
    const qsizetype lineBreak = line.indexOf(u"\r\n");
    // A queued picture: its row number, a line break, its address.
    if (lineBreak >= 0)
        OpenInDesktop(QUrl(line.mid(lineBreak + 2), QUrl::TolerantMode));
    else if (line.contains(u"http"))
        OpenInDesktop(QUrl(line, QUrl::TolerantMode));
}

void MainWindow::ArticleDoubleClicked(int row) {
    const ArticleTable& table = state().table();
    if (row < 1 || row > table.ArticleCount())
        return;
    if (table.Cell(row, ArticleTable::Mark) == kDownloadedMark) {
        const TaskPaths paths{state().programFolder(), state().taskName};
        const QString file = paths.ArticleFile(table.Cell(row, ArticleTable::Category),
                                               table.Cell(row, ArticleTable::Link));
        if (!file.isEmpty())
            OpenInDesktop(QUrl::fromLocalFile(file));
        return;
    }
    const QString address = ArticleAddress(state(), row);
    if (!address.isEmpty())
        OpenInDesktop(QUrl(address, QUrl::TolerantMode));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_dialog)
        m_dialog->close();
    event->accept();
    emit closed();
}

} // namespace pellomar
