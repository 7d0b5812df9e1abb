// SPDX-License-Identifier: GPL-3.0-or-later
// The one list of the task's articles, with the categories numbered as rows are added.
// Rows are counted as the grid counts them: row 0 is the header, articles are rows 1..n,
// one empty row follows, so RowCount() is n + 2. The window's grid is a view of it.
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace pellomar {

struct CategoryList {
    static constexpr int kSlots = 501;
    std::array<QString, kSlots> names;
    std::array<qint16, kSlots> counts{};

    // The categories in use: the entries before the first empty name.
    int Size() const;
    int IndexOf(const QString& name) const;
    void Clear();
};

class ArticleTable : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Number = 0, Title = 1, Category = 2, Link = 3, Date = 4, Ordinal = 5, Mark = 6 };
    static constexpr int kColumns = 7;
    static constexpr std::array<int, kColumns> kWidthsTwips = {700,  4800, 2800, 3200,
                                                               2000, 600,  300};
    static constexpr int kMaxPerCategory = 32767;

    explicit ArticleTable(QObject* parent = nullptr);

    int RowCount() const { return int(m_rows.size()) + 2; }
    int ArticleCount() const { return int(m_rows.size()); }
    // Row 0 gives the header texts; rows outside 1..n give the empty text.
    QString Cell(int row, int column) const;
    void SetMark(int row, const QString& mark);
    // Rows holding this mark (not the empty one).
    int MarkCount(const QString& mark) const { return m_markCounts.value(mark); }
    void SetTitle(int row, const QString& title);
    const CategoryList& Categories() const { return m_categories; }
    // The name the category's folder and files are made from (CategoryFileNames).
    QString CategoryFileName(const QString& category) const;
    // Whether some category's file name is this one, letter case aside.
    bool IsCategoryFileName(const QString& name) const;

    void Reset();
    // Appends one article row. Refuses (false, with the reason) a 502nd category or a
    // 32768th article of one category; the table is then unchanged.
    bool AddArticle(const QString& title, const QString& category, const QString& link,
                    const QString& date, QString* error = nullptr);

    int TopRow() const { return m_topRow; }
    void SetTopRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  signals:
    void topRowChanged(int row);

  private:
    void SetCell(int row, Column column, const QString& text);

    std::vector<std::array<QString, kColumns>> m_rows;
    CategoryList m_categories;
    // Kept as marks change: the download's progress reads them on every pulse.
    QHash<QString, int> m_markCounts;
    qint16 m_uncategorised = 0;
    // Worked out again after the categories change.
    mutable std::optional<QHash<QString, QString>> m_fileNames;
    mutable QSet<QString> m_foldedFileNames;
    const QHash<QString, QString>& FileNames() const;
    int m_topRow = 1;
};

} // namespace pellomar
