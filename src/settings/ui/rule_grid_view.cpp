#include "settings/ui/rule_grid_view.h"

#include "classify/waiting_messages.h"

#include "platform/bytes.h"
#include "settings/rule_grid_ops.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace tw {

RuleGridView::RuleGridView(RuleKind kind, RuleTable &table, QWidget *parent)
    : QTableWidget(parent)
    , m_kind(kind)
    , m_table(table)
    , m_sortColumn(patternColumn(kind))
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setIconSize(QSize(16, 16));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(m_sortColumn, Qt::AscendingOrder);
    horizontalHeader()->setHighlightSections(false);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) { cellEdited(item); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) { headingClicked(column); });
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int, int column) {
        if (!editableColumn(m_kind, column) && onEditRequest)
            onEditRequest();
    });
    refresh();
}

int RuleGridView::pictureColumn() const { return m_kind == RuleKind::Exception ? col::ExceptPicture : 0; }

void RuleGridView::refresh()
{
    m_refreshing = true;
    const int current = currentRuleRow();
    SetGridHeadings(m_kind, m_table);
    setColumnCount(m_table.ColCount());
    setRowCount(m_table.RowCount() - 1);
    QStringList headings;
    for (int c = 0; c < m_table.ColCount(); ++c)
        headings << toDisplay(m_table.cell(c, 0));
    setHorizontalHeaderLabels(headings);
    if (m_kind == RuleKind::Exception)
        setColumnHidden(col::ExceptImage, true);
    const int pattern = patternColumn(m_kind);
    const int hits = hitsColumn(m_kind);
    for (int r = 1; r < m_table.RowCount(); ++r) {
        const bool used = !m_table.cell(col::What, r).empty() || !m_table.cell(0, r).empty();
        const bool checkMark = m_table.cell(col::Delete, r) == "Yes";
        for (int c = 0; c < m_table.ColCount(); ++c) {
            auto *item = new QTableWidgetItem(toDisplay(m_table.cell(c, r)));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (editableColumn(m_kind, c))
                flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            if (c == pictureColumn()) {
                item->setText(QString());
                if (used) {
                    const int picture = rulePicture(m_kind, m_table, r);
                    item->setIcon(QIcon(QStringLiteral(":/pictures/B%1.png").arg(picture)));
                    item->setData(Qt::AccessibleTextRole, QString::fromStdString(markMeaning(picture)));
                }
            }
            if (c == hits)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == pattern) {
                QFont font = item->font();
                const bool bold = m_kind == RuleKind::Exception || checkMark;
                font.setBold(bold);
                item->setFont(font);
                if (!bold)
                    item->setForeground(Qt::blue);
            }
            setItem(r - 1, c, item);
        }
    }
    setCurrentRuleRow(std::min(current, m_table.RowCount() - 1));
    m_refreshing = false;
}

int RuleGridView::currentRuleRow() const { return currentRow() < 0 ? 1 : currentRow() + 1; }

void RuleGridView::setCurrentRuleRow(int row)
{
    if (row >= 1 && row < m_table.RowCount())
        setCurrentCell(row - 1, currentColumn() < 0 ? 1 : currentColumn());
}

std::vector<int> RuleGridView::visibleWidths() const
{
    std::vector<int> widths;
    for (int c = 0; c < columnCount(); ++c)
        if (!isColumnHidden(c))
            widths.push_back(columnWidth(c));
    return widths;
}

void RuleGridView::setVisibleWidths(const std::vector<int> &widths)
{
    size_t i = 0;
    for (int c = 0; c < columnCount() && i < widths.size(); ++c) {
        if (isColumnHidden(c))
            continue;
        if (widths[i] >= 0)
            setColumnWidth(c, widths[i]);
        ++i;
    }
}

void RuleGridView::keyPressEvent(QKeyEvent *event)
{
    if (state() != QAbstractItemView::EditingState) {
        if (event->key() == Qt::Key_Delete) {
            if (onDeleteKey)
                onDeleteKey();
            return;
        }
        if (event->key() == Qt::Key_Insert)
            return;
    }
    QTableWidget::keyPressEvent(event);
}

void RuleGridView::cellEdited(QTableWidgetItem *item)
{
    if (m_refreshing)
        return;
    const int row = item->row() + 1;
    const int column = item->column();
    if (!editableColumn(m_kind, column))
        return;
    const std::string text = fromDisplay(item->text());
    if (text == m_table.cell(column, row))
        return;
    if (column == hitsColumn(m_kind) && !validHitCount(text)) {
        m_refreshing = true;
        item->setText(toDisplay(m_table.cell(column, row)));
        m_refreshing = false;
        return;
    }
    m_table.setCell(column, row, text);
}

void RuleGridView::headingClicked(int column)
{
    if (!sortableColumn(m_kind, column)) {
        horizontalHeader()->setSortIndicator(m_sortColumn, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        return;
    }
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    horizontalHeader()->setSortIndicator(column, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    sortRules(m_kind, m_table, column, m_ascending);
    refresh();
}

} // namespace tw
