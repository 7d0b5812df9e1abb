// SPDX-License-Identifier: GPL-3.0-or-later
// "新增": the service, the task name and the blog address of a new task. Shown without
// blocking the main window and only hidden on "确定", so the next "新建" shows the values
// of the previous task; closing it through its frame cancels and forgets them.
#pragma once

#include "services/service.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pellomar {

class AppState;

class NewTaskDialog : public QDialog {
    Q_OBJECT
  public:
    explicit NewTaskDialog(AppState& state, QWidget* parent = nullptr);

    // The selected entry of the service list, 0 to 4; -1 when none is selected or the
    // selector holds text of the user's own.
    int Position() const;

    // Cancel: the dialog goes back to its initial state (the frame's close button, Escape).
    void reject() override;

  signals:
    // "确定" with a service chosen: the dialog is hidden and SavePictures is set by now.
    void startRequested(pellomar::ServiceKind blg, const QString& bt, const QString& htp);

  private:
    void ChooseService();
    void NameChanged(const QString& text);
    void Confirm();
    void ResetToInitial();
    void SetAddressLabelRed(bool red);

    AppState& m_state;
    QLabel* m_label4 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QLabel* m_label1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_checkOriginal = nullptr;
    QLabel* m_label2 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QLabel* m_label3 = nullptr;
    QPushButton* m_command1 = nullptr;
};

} // namespace pellomar
