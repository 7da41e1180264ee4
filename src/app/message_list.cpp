#include "app/message_list.h"

#include <QFontMetrics>
#include <algorithm>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>

namespace tw {

TMessageListView::TMessageListView(const WaitingMessages &messages, QWidget *parent)
    : QTreeView(parent), m_model(new TMessageListModel(messages, this))
{
    setObjectName(QStringLiteral("ListView1"));
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setColumnWidths({220, 140, 120, 42, 130});
    connect(header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int newWidth) { columnResized(column, newWidth); });
    m_newRows.setSingleShot(true);
    m_newRows.setInterval(0);
    connect(&m_newRows, &QTimer::timeout, this, &TMessageListView::showNewRows);
}

void TMessageListView::LoadUpImageList() { m_model->loadPictures(); }

void TMessageListView::rowsAppended()
{
    if (!m_newRows.isActive())
        m_newRows.start();
}

void TMessageListView::showNewRows()
{
    m_newRows.stop();
    m_model->showNewRows();
}

void TMessageListView::showAll()
{
    m_newRows.stop();
    m_model->showAll();
}

void TMessageListView::markChanged(int row) { m_model->markChanged(row); }

void TMessageListView::showMarks() { m_model->marksChanged(); }

void TMessageListView::readSelection(WaitingMessages &messages)
{
    showNewRows();
    for (int i = 0; i < messages.count(); ++i)
        messages.row(i).selected = false;
    for (int row : selectedRows())
        if (row < messages.count())
            messages.row(row).selected = true;
}

int TMessageListView::rowCount()
{
    showNewRows();
    return m_model->rowCount();
}

QString TMessageListView::text(int row, int column)
{
    showNewRows();
    return m_model->index(row, column).data(Qt::DisplayRole).toString();
}

QIcon TMessageListView::picture(int row)
{
    showNewRows();
    return m_model->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
}

void TMessageListView::setRowSelected(int row, bool selected)
{
    showNewRows();
    selectionModel()->select(m_model->index(row, 0), (selected ? QItemSelectionModel::Select
                                                               : QItemSelectionModel::Deselect) |
                                                         QItemSelectionModel::Rows);
}

std::vector<int> TMessageListView::selectedRows()
{
    showNewRows();
    std::vector<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TMessageListView::currentRow()
{
    showNewRows();
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void TMessageListView::setCurrentRow(int row)
{
    showNewRows();
    setCurrentIndex(m_model->index(row, 0));
}

std::array<int, 5> TMessageListView::columnWidths() const
{
    std::array<int, 5> widths{};
    for (int c = 0; c < 5; ++c)
        widths[size_t(c)] = columnWidth(c);
    widths[0] = m_subjectWidth;
    return widths;
}

void TMessageListView::setColumnWidths(const std::array<int, 5> &widths)
{
    for (int c = 0; c < 5; ++c)
        setColumnWidth(c, widths[size_t(c)]);
    m_subjectWidth = widths[0];
    fillWithSubject();
}

void TMessageListView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    fillWithSubject();
}

void TMessageListView::updateGeometries()
{
    QTreeView::updateGeometries();
    fillWithSubject();
}

void TMessageListView::columnResized(int column, int newWidth)
{
    if (m_filling)
        return;
    if (column == 0)
        m_subjectWidth = newWidth; // the user's own choice
    else
        fillWithSubject();
}

void TMessageListView::fillWithSubject()
{
    if (m_filling)
        return;
    int others = 0;
    for (int c = 1; c < 5; ++c)
        others += columnWidth(c);
    const int width = std::max(m_subjectWidth, viewport()->width() - others);
    if (width == columnWidth(0))
        return;
    m_filling = true;
    setColumnWidth(0, width);
    m_filling = false;
}

void TMessageListView::fitSizeAndDate(const std::array<bool, 5> &stored)
{
    // The widest contents the two columns usually hold: a size below a
    // megabyte and a Date header with its day, time and zone.
    const QFontMetrics metrics(font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 12;
    const struct {
        int column;
        QString widest;
    } contents[] = {{3, QStringLiteral("999999")}, {4, QStringLiteral("Wed, 30 Dec 2026 23:59:59 +0000")}};
    for (const auto &[column, widest] : contents) {
        const int needed = metrics.horizontalAdvance(widest) + padding;
        if (!stored[size_t(column)] && columnWidth(column) < needed)
            setColumnWidth(column, needed);
    }
}

} // namespace tw
