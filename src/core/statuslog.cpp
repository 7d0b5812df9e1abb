// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/statuslog.h"

namespace pellomar {

void StatusLog::Add(const QString& line) {
    beginInsertRows({}, Count(), Count());
    m_lines.append(line);
    endInsertRows();
}

void StatusLog::Clear() {
    beginResetModel();
    m_lines.clear();
    m_selected = -1;
    endResetModel();
    emit selectionChanged(-1);
}

QString StatusLog::TakeFirst() {
    if (m_lines.isEmpty())
        return {};
    beginRemoveRows({}, 0, 0);
    QString line = m_lines.takeFirst();
    endRemoveRows();
    if (m_selected >= 0) {
        --m_selected;
        emit selectionChanged(m_selected);
    }
    return line;
}

void StatusLog::Select(int index) {
    m_selected = (index >= 0 && index < Count()) ? index : -1;
    emit selectionChanged(m_selected);
}

int StatusLog::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant StatusLog::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_lines.at(index.row());
    return {};
}

} // namespace pellomar
