// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articletable.h"

#include "core/filenames.h"

namespace pellomar {

namespace {
const std::array<QString, ArticleTable::kColumns>& Headers() {
    static const std::array<QString, ArticleTable::kColumns> headers = {QString(),
                                                                        QStringLiteral("标题"),
                                                                        QStringLiteral("分类"),
                                                                        QStringLiteral("链接"),
                                                                        QStringLiteral("日期"),
                                                                        QStringLiteral("页数"),
                                                                        QString()};
    return headers;
}
} // namespace

int CategoryList::Size() const {
    for (int i = 0; i < kSlots; ++i)
        if (names[i].isEmpty())
            return i;
    return kSlots;
}

int CategoryList::IndexOf(const QString& name) const {
    for (int i = 0; i < kSlots && !names[i].isEmpty(); ++i)
        if (names[i] == name)
            return i;
    return -1;
}

void CategoryList::Clear() {
    for (auto& name : names)
        name.clear();
    counts.fill(0);
}

ArticleTable::ArticleTable(QObject* parent) : QAbstractTableModel(parent) {}

QString ArticleTable::Cell(int row, int column) const {
    if (column < 0 || column >= kColumns)
        return {};
    if (row == 0)
        return Headers()[column];
    if (row < 1 || row > ArticleCount())
        return {};
    return m_rows[row - 1][column];
}

void ArticleTable::SetMark(int row, const QString& mark) {
    if (row < 1 || row > ArticleCount())
        return;
    const QString& old = m_rows[row - 1][Mark];
    if (!old.isEmpty())
        --m_markCounts[old];
    if (!mark.isEmpty())
        ++m_markCounts[mark];
    SetCell(row, Mark, mark);
}

void ArticleTable::SetTitle(int row, const QString& title) {
    SetCell(row, Title, title);
}

void ArticleTable::SetCell(int row, Column column, const QString& text) {
    if (row < 1 || row > ArticleCount())
        return;
    m_rows[row - 1][column] = text;
    const QModelIndex cell = index(row - 1, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

const QHash<QString, QString>& ArticleTable::FileNames() const {
    if (!m_fileNames) {
        QStringList names;
        for (int c = 0; c < m_categories.Size(); ++c)
            names.append(m_categories.names[c]);
        // Rows with an empty category cell keep out of the list but still have files: named
        // last, they change no other category's name.
        names.append(QString());
        m_fileNames = CategoryFileNames(names);
        m_foldedFileNames.clear();
        for (const QString& name : std::as_const(*m_fileNames))
            m_foldedFileNames.insert(name.toCaseFolded());
    }
    return *m_fileNames;
}

QString ArticleTable::CategoryFileName(const QString& category) const {
    return FileNames().value(category, SafeFileName(category));
}

bool ArticleTable::IsCategoryFileName(const QString& name) const {
    FileNames();
    return m_foldedFileNames.contains(name.toCaseFolded());
}

void ArticleTable::Reset() {
    beginResetModel();
    m_rows.clear();
    m_markCounts.clear();
    m_categories.Clear();
    m_fileNames.reset();
    m_uncategorised = 0;
    endResetModel();
    SetTopRow(1);
}

bool ArticleTable::AddArticle(const QString& title, const QString& category, const QString& link,
                              const QString& date, QString* error) {
    qint16* counter = nullptr;
    if (category.isEmpty()) {
        // An empty name cannot hold a slot (empty slots are the free ones): such rows are
        // numbered on their own and stay out of the category list.
        counter = &m_uncategorised;
    } else {
        int slot = m_categories.IndexOf(category);
        if (slot < 0) {
            slot = m_categories.Size();
            if (slot >= CategoryList::kSlots) {
                if (error)
                    *error = QStringLiteral("分类超过%1个，无法添加分类：%2")
                                 .arg(CategoryList::kSlots)
                                 .arg(category);
                return false;
            }
            m_categories.names[slot] = category;
            m_fileNames.reset();
        }
        counter = &m_categories.counts[slot];
    }
    if (*counter >= kMaxPerCategory) {
        if (error)
            *error = QStringLiteral("分类“%1”的文章超过%2篇，无法添加：%3")
                         .arg(category)
                         .arg(kMaxPerCategory)
                         .arg(title);
        return false;
    }
    ++*counter;

    const int r = RowCount() - 1;
    beginInsertRows({}, r - 1, r - 1);
    m_rows.push_back(
        {QString::number(r), title, category, link, date, QString::number(*counter), QString()});
    endInsertRows();
    if (RowCount() > 5)
        SetTopRow(RowCount() - 5);
    return true;
}

void ArticleTable::SetTopRow(int row) {
    if (row == m_topRow)
        return;
    m_topRow = row;
    emit topRowChanged(row);
}

int ArticleTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ArticleCount() + 1;
}

int ArticleTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ArticleTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return Cell(index.row() + 1, index.column());
}

QVariant ArticleTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < kColumns ? Headers()[section] : QString();
    return {};
}

} // namespace pellomar
