#pragma once
// The two statistics tables ("Email traffic", "Spam Deleted") as item
// models over the rows the statistics logic chose. Sorting by a column goes
// through the table sort of the statistics logic. A table without rows
// shows one empty row.

#include "stats/statistics.h"

#include <QAbstractTableModel>

namespace tw {

class StatsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Kind { Traffic, Spam };
    explicit StatsTableModel(Kind kind, QObject *parent = nullptr);

    // Shows Tables' rows of this model's kind, in their order (log order).
    // The records must outlive the model's use of them.
    void setRows(const StatsTables &tables);
    int recordCount() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    // The headings and the cells of Rows (all rows when empty) as tab-separated text.
    std::string text(const std::vector<int> &rows = {}) const;

private:
    const std::string &cell(int row, int column) const;

    Kind m_kind;
    std::vector<const CheckRecord *> m_traffic;
    std::vector<const DeletionRecord *> m_spam;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace tw
