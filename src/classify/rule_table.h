#pragma once
// A rule table: a grid of byte-string cells addressed (column, row) as the
// rule files store them. Row 0 holds the headings, rows 1 and up one rule
// each in evaluation order. Reading a cell outside the grid gives "".

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

class RuleTable {
public:
    // A grid of ColCount columns and RowCount rows, all cells empty.
    explicit RuleTable(int colCount = 6, int rowCount = 2);

    int ColCount() const { return m_colCount; }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // Resizing keeps the cells that remain inside and adds empty ones.
    void setColCount(int count);
    void setRowCount(int count);

    // The cell's text, or "" when (Col, Row) lies outside the grid.
    const std::string &cell(int col, int row) const;
    // Sets the cell; ignored when (Col, Row) lies outside the grid.
    void setCell(int col, int row, std::string text);

    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // Inserts an empty row before Row (Row == RowCount appends) and returns its index.
    int insertRow(int row);
    int addRow() { return insertRow(RowCount()); }
    void deleteRow(int row);
    // Inserts Count empty columns before Col.
    void insertColumns(int col, int count);

    // "Empty" as the commands that add rules see it: the heading row plus one
    // row whose key cell (column 1) is empty.
    bool isEmptyTable() const { return RowCount() == 2 && cell(1, 1).empty(); }
    // Row 1 when the table is empty, else a new row at the end.
    int rowForNewRule();

    // Raises the "Hits" cell of Row by one; a cell that is not a number counts as 0.
    void bumpHits(int row, int hitsCol);

    // A number that changes with every edit of the cells, rows or columns
    // (a raised hit count aside), so that what is derived from the rules
    // can be kept until they change. Numbers are never used twice in the
    // program, and a copy carries its original's.
    std::uint64_t revision() const { return m_revision; }

private:
    void edited();

    std::uint64_t m_revision;
    int m_colCount;
    std::vector<std::vector<std::string>> m_rows;
    std::vector<int> m_widths;
};

} // namespace tw
