#pragma once
// A rule table on screen: one line per rule with its mark picture, the
// pattern in bold (check mark) or blue (question mark), in-place editing of
// the pattern and hit count, sorting by a heading click. Edits go straight
// into the table; refresh() redraws after the table changed elsewhere.

#include "classify/rule_files.h"

#include <QTableWidget>

#include <functional>
#include <vector>

namespace tw {

class RuleGridView : public QTableWidget {
public:
    RuleGridView(RuleKind kind, RuleTable &table, QWidget *parent = nullptr);

    RuleKind kind() const { return m_kind; }
    RuleTable &table() { return m_table; }

    // Rebuilds the lines from the table (headings included).
    void refresh();
    // The table row of the current line (1 when there is none).
    int currentRuleRow() const;
    void setCurrentRuleRow(int row);

    // The on-screen widths of the visible columns, and setting them (a
    // negative width keeps the current one).
    std::vector<int> visibleWidths() const;
    void setVisibleWidths(const std::vector<int> &widths);

    // Called for the Delete key and for a double click on a line.
    std::function<void()> onDeleteKey;
    std::function<void()> onEditRequest;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void cellEdited(QTableWidgetItem *item);
    void headingClicked(int column);
    int pictureColumn() const;

    RuleKind m_kind;
    RuleTable &m_table;
    bool m_refreshing = false;
    int m_sortColumn;
    bool m_ascending = true;
};

} // namespace tw
