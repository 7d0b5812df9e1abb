// SPDX-License-Identifier: GPL-3.0-or-later
// form1: the article grid, the status list and caption, the slot indicators and the task
// buttons. A view over the engine's shared state; each button runs one engine operation.
#pragma once

#include "services/service.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <qcoro/qcorotask.h>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTableView;
class QWheelEvent;

namespace pellomar {

class Engine;
class AppState;
class LoginBar;
class NewTaskDialog;
class UpdateCheck;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // Runs the start-up of the shared state: the window is ready once it has finished.
    explicit MainWindow(Engine& engine, QWidget* parent = nullptr);
    ~MainWindow() override;

    AppState& state();
    // The new-task dialog once the first "新建" has made it.
    NewTaskDialog* dialog() const { return m_dialog; }
    // True while an operation a button started has not finished.
    bool Busy() const { return m_running > 0; }
    // Loads a task file as "导入" does once the file is picked.
    void OpenTaskFile(const QString& path);
    // The version label's update check; it runs only once enabled.
    UpdateCheck& updateCheck() { return *m_updateCheck; }
    LoginBar& login() { return *m_login; }

  signals:
    // The window was closed: the process is to end now.
    void closed();
    void operationFinished();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void SetMinimumToShowRows(int rows);
    void FitTitleColumn();
    bool WheelOnGrid(QWheelEvent* event);
    void VersionLabelClicked();
    void ConnectState();
    void UpdateButtons();
    void UpdateBookButtons();
    void ChmFinished();
    void FollowTopRow(int row);
    void FollowStatusSelection(int index);

    void NewTask();
    void StartDiscovery(ServiceKind blg, const QString& bt, const QString& htp);
    void Download();
    void MakeChmClicked();
    void OpenProgramFolder();
    void ExportTaskClicked();
    void ImportTaskClicked();
    void ExportTextClicked();
    void StatusLineDoubleClicked(int index);
    void ArticleDoubleClicked(int row);

    // Keeps the operation running after the handler returns; done runs when it ends.
    template <typename T> void Launch(QCoro::Task<T>&& task, void (MainWindow::*done)() = nullptr);
    void Finished(void (MainWindow::*done)());
    void TextExportFinished();

    Engine& m_engine;
    QListView* m_list1 = nullptr;
    QLabel* m_label2 = nullptr;
    QTableView* m_msh = nullptr;
    QLabel* m_label3 = nullptr;
    LoginBar* m_login = nullptr;
    std::array<QLabel*, 5> m_label5{};
    QLineEdit* m_text2 = nullptr;
    QCheckBox* m_textUtf8 = nullptr;
    // Command1 to Command7.
    std::array<QPushButton*, 7> m_commands{};
    QPushButton* m_epub = nullptr;
    QPushButton* m_markdown = nullptr;
    // The last 生成CHM succeeded and no other task has come since.
    bool m_chmBuilt = false;
    // Wheel turns short of a notch, in eighths of a degree.
    int m_wheelRest = 0;
    QPointer<NewTaskDialog> m_dialog;
    UpdateCheck* m_updateCheck = nullptr;
    int m_running = 0;
};

} // namespace pellomar
