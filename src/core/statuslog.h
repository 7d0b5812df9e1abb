// SPDX-License-Identifier: GPL-3.0-or-later
// The status list: help lines at start-up, the queue of list pages during discovery,
// the queue of pictures during a download. The window shows it as a list.
#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace pellomar {

class StatusLog : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    int Count() const { return int(m_lines.size()); }
    QString Line(int index) const { return m_lines.value(index); }
    const QStringList& Lines() const { return m_lines; }
    void Add(const QString& line);
    void Clear();
    QString TakeFirst();
    // The highlighted line; -1 for none.
    int Selected() const { return m_selected; }
    void Select(int index);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  signals:
    void selectionChanged(int index);

  private:
    QStringList m_lines;
    int m_selected = -1;
};

} // namespace pellomar
