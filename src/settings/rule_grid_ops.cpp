#include "settings/rule_grid_ops.h"

#include "platform/bytes.h"

#include <algorithm>
#include <vector>

namespace tw {

namespace {

std::vector<std::string> rowCells(const RuleTable &table, int row)
{
    std::vector<std::string> cells;
    for (int c = 0; c < table.ColCount(); ++c)
        cells.push_back(table.cell(c, row));
    return cells;
}

void setRowCells(RuleTable &table, int row, const std::vector<std::string> &cells)
{
    for (int c = 0; c < table.ColCount(); ++c)
        table.setCell(c, row, cells[size_t(c)]);
}

void swapRows(RuleTable &table, int a, int b)
{
    const std::vector<std::string> first = rowCells(table, a);
    setRowCells(table, a, rowCells(table, b));
    setRowCells(table, b, first);
}

} // namespace

int insertRuleRow(RuleTable &table, int current)
{
    if (table.isEmptyTable())
        return 1;
    return table.insertRow(std::clamp(current, 1, table.RowCount()));
}

void deleteRule(RuleTable &table, int row)
{
    if (row < 1 || row >= table.RowCount())
        return;
    if (table.RowCount() <= 2) {
        for (int c = 0; c < table.ColCount(); ++c)
            table.setCell(c, row, std::string());
        return;
    }
    table.deleteRow(row);
}

int moveRuleUp(RuleTable &table, int row)
{
    if (row <= 1 || row >= table.RowCount())
        return row;
    swapRows(table, row, row - 1);
    return row - 1;
}

int moveRuleDown(RuleTable &table, int row)
{
    if (row < 1 || row >= table.RowCount() - 1)
        return row;
    swapRows(table, row, row + 1);
    return row + 1;
}

void sortRules(RuleKind kind, RuleTable &table, int column, bool ascending)
{
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r < table.RowCount(); ++r)
        rows.push_back(rowCells(table, r));
    const bool numeric = column == hitsColumn(kind);
    auto less = [&](const std::vector<std::string> &a, const std::vector<std::string> &b) {
        const std::string &x = a[size_t(column)];
        const std::string &y = b[size_t(column)];
        if (numeric)
            return toIntDef(x, 0) < toIntDef(y, 0);
        return compareText(x, y) < 0;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto &a, const auto &b) {
        return ascending ? less(a, b) : less(b, a);
    });
    for (size_t i = 0; i < rows.size(); ++i)
        setRowCells(table, int(i) + 1, rows[i]);
}

bool validHitCount(const std::string &text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!(c >= '0' && c <= '9') && c != '_')
            return false;
    long long value = 0;
    return parseInt(text, value) && value >= 0 && value <= INT32_MAX;
}

bool editableColumn(RuleKind kind, int column)
{
    switch (kind) {
    case RuleKind::Subject:
        return column == col::Matches || column == col::Hits;
    case RuleKind::Header:
        return column == col::Hits;
    case RuleKind::Sender:
        return column == col::SenderMatches || column == col::Hits;
    case RuleKind::Exception:
        return column == col::ExceptMatches || column == col::ExceptHits;
    }
    return false;
}

bool sortableColumn(RuleKind kind, int column)
{
    if (kind == RuleKind::Exception)
        return column == col::ExceptWhat || column == col::ExceptMatches || column == col::ExceptHits;
    return column == patternColumn(kind) || column == col::Hits;
}

int patternColumn(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Sender:
        return col::SenderMatches;
    case RuleKind::Exception:
        return col::ExceptMatches;
    default:
        return col::Matches;
    }
}

} // namespace tw
