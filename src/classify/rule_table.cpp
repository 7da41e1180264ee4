#include "classify/rule_table.h"

#include "platform/bytes.h"

#include <algorithm>
#include <atomic>

namespace tw {

namespace {
constexpr int kDefaultWidth = 64;
const std::string kNoText;

std::uint64_t nextRevision()
{
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}
} // namespace

RuleTable::RuleTable(int colCount, int rowCount) : m_revision(nextRevision()), m_colCount(std::max(colCount, 0))
{
    m_widths.assign(static_cast<size_t>(m_colCount), kDefaultWidth);
    setRowCount(rowCount);
}

void RuleTable::edited() { m_revision = nextRevision(); }

void RuleTable::setColCount(int count)
{
    edited();
    m_colCount = std::max(count, 0);
    m_widths.resize(static_cast<size_t>(m_colCount), kDefaultWidth);
    for (auto &row : m_rows)
        row.resize(static_cast<size_t>(m_colCount));
}

void RuleTable::setRowCount(int count)
{
    edited();
    m_rows.resize(static_cast<size_t>(std::max(count, 0)), std::vector<std::string>(static_cast<size_t>(m_colCount)));
}

const std::string &RuleTable::cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= m_colCount || row >= RowCount())
        return kNoText;
    return m_rows[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void RuleTable::setCell(int col, int row, std::string text)
{
    if (col < 0 || row < 0 || col >= m_colCount || row >= RowCount())
        return;
    edited();
    m_rows[static_cast<size_t>(row)][static_cast<size_t>(col)] = std::move(text);
}

int RuleTable::colWidth(int col) const
{
    return col >= 0 && col < m_colCount ? m_widths[static_cast<size_t>(col)] : 0;
}

void RuleTable::setColWidth(int col, int width)
{
    if (col >= 0 && col < m_colCount)
        m_widths[static_cast<size_t>(col)] = width;
}

int RuleTable::insertRow(int row)
{
    row = std::clamp(row, 0, RowCount());
    edited();
    m_rows.insert(m_rows.begin() + row, std::vector<std::string>(static_cast<size_t>(m_colCount)));
    return row;
}

void RuleTable::deleteRow(int row)
{
    if (row >= 0 && row < RowCount()) {
        edited();
        m_rows.erase(m_rows.begin() + row);
    }
}

void RuleTable::insertColumns(int col, int count)
{
    col = std::clamp(col, 0, m_colCount);
    edited();
    m_colCount += count;
    m_widths.insert(m_widths.begin() + col, static_cast<size_t>(count), kDefaultWidth);
    for (auto &row : m_rows)
        row.insert(row.begin() + col, static_cast<size_t>(count), std::string());
}

int RuleTable::rowForNewRule() { return isEmptyTable() ? 1 : addRow(); }

void RuleTable::bumpHits(int row, int hitsCol)
{
    long long hits = 0;
    if (!parseInt(cell(hitsCol, row), hits))
        hits = 0;
    if (hitsCol >= 0 && row >= 0 && hitsCol < m_colCount && row < RowCount())
        m_rows[static_cast<size_t>(row)][static_cast<size_t>(hitsCol)] = std::to_string(hits + 1);
}

} // namespace tw
