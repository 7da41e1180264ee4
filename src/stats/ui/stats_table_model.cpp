#include "stats/ui/stats_table_model.h"

#include "platform/bytes.h"
#include "stats/table_sort.h"
#include "stats/table_text.h"

#include <algorithm>

namespace tw {

namespace {
// The fifth column ("# Mail", "Size") holds numbers.
const int kNumberColumn = 4;
const std::string kEmpty;
} // namespace

StatsTableModel::StatsTableModel(Kind kind, QObject *parent) : QAbstractTableModel(parent), m_kind(kind) {}

void StatsTableModel::setRows(const StatsTables &tables)
{
    beginResetModel();
    m_traffic = tables.traffic;
    m_spam = tables.spam;
    endResetModel();
    // A redraw keeps the order the user chose.
    if (m_sortColumn >= 0)
        sort(m_sortColumn, m_sortOrder);
}

int StatsTableModel::recordCount() const
{
    return int(m_kind == Kind::Traffic ? m_traffic.size() : m_spam.size());
}

int StatsTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(1, recordCount());
}

int StatsTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_kind == Kind::Traffic ? kTrafficHeadings.size() : kSpamHeadings.size());
}

const std::string &StatsTableModel::cell(int row, int column) const
{
    if (row < 0 || row >= recordCount())
        return kEmpty;
    return m_kind == Kind::Traffic ? trafficCell(*m_traffic[size_t(row)], column)
                                   : spamCell(*m_spam[size_t(row)], column);
}

QVariant StatsTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return toDisplay(cell(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole && index.column() == kNumberColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant StatsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(m_kind == Kind::Traffic ? kTrafficHeadings[size_t(section)]
                                                           : kSpamHeadings[size_t(section)]);
    if (role == Qt::TextAlignmentRole && section == kNumberColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

void StatsTableModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    const bool ascending = order == Qt::AscendingOrder;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    if (m_kind == Kind::Traffic)
        sortTraffic(m_traffic, TrafficColumn(column), ascending);
    else
        sortSpam(m_spam, SpamColumn(column), ascending);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::string StatsTableModel::text(const std::vector<int> &rows) const
{
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> headings;
    for (int c = 0; c < columnCount(); ++c)
        headings.push_back(fromDisplay(headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()));
    lines.push_back(std::move(headings));
    auto addRow = [&](int row) {
        std::vector<std::string> cells;
        for (int c = 0; c < columnCount(); ++c)
            cells.push_back(cell(row, c));
        lines.push_back(std::move(cells));
    };
    if (rows.empty()) {
        for (int r = 0; r < recordCount(); ++r)
            addRow(r);
    } else {
        for (int r : rows)
            if (r < recordCount())
                addRow(r);
    }
    return tabSeparated(lines);
}

} // namespace tw
