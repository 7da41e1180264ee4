#include "app/message_list.h"

#include "platform/bytes.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>

namespace tw {

TMessageListView::TMessageListView(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("ListView1"));
    setColumnCount(5);
    setHeaderLabels({QStringLiteral("Subject"), QStringLiteral("Sender"), QStringLiteral("Name"),
                     QStringLiteral("Size"), QStringLiteral("Date")});
    headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setColumnWidths({220, 140, 120, 42, 130});
    LoadUpImageList();
}

void TMessageListView::LoadUpImageList()
{
    for (int i = 0; i < 15; ++i)
        m_pictures[size_t(i)] = markPicture(i);
}

QIcon TMessageListView::markPicture(int mark)
{
    if (mark < 0 || mark > 14)
        return {};
    return QIcon(QStringLiteral(":/pictures/B%1.png").arg(mark));
}

static QIcon blankPicture()
{
    // Keeps the subject text in the same place on rows without a mark.
    QPixmap empty(16, 16);
    empty.fill(Qt::transparent);
    return QIcon(empty);
}

void TMessageListView::appendRow(const TWaitingMessage &message)
{
    auto *item = new QTreeWidgetItem(this);
    item->setText(0, toDisplay(message.subject));
    item->setText(1, toDisplay(message.senderAddress));
    item->setText(2, toDisplay(message.senderName));
    item->setText(3, toDisplay(message.sizeText));
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(4, toDisplay(message.dateText));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    const bool hasPicture = message.mark >= 0 && message.mark <= 14;
    item->setIcon(0, hasPicture ? m_pictures[size_t(message.mark)] : blankPicture());
    item->setData(0, Qt::UserRole, message.mark);
}

void TMessageListView::showMarks(const WaitingMessages &messages)
{
    const int rows = std::min(topLevelItemCount(), messages.count());
    for (int i = 0; i < rows; ++i) {
        QTreeWidgetItem *item = topLevelItem(i);
        const int mark = messages.row(i).mark;
        if (item->data(0, Qt::UserRole).toInt() == mark && !item->icon(0).isNull())
            continue;
        item->setIcon(0, (mark >= 0 && mark <= 14) ? m_pictures[size_t(mark)] : blankPicture());
        item->setData(0, Qt::UserRole, mark);
    }
}

void TMessageListView::readSelection(WaitingMessages &messages) const
{
    const int rows = std::min(topLevelItemCount(), messages.count());
    for (int i = 0; i < rows; ++i)
        messages.row(i).selected = topLevelItem(i)->isSelected();
}

void TMessageListView::showAll(const WaitingMessages &messages)
{
    clear();
    for (int i = 0; i < messages.count(); ++i)
        appendRow(messages.row(i));
}

std::array<int, 5> TMessageListView::columnWidths() const
{
    std::array<int, 5> widths{};
    for (int c = 0; c < 5; ++c)
        widths[size_t(c)] = columnWidth(c);
    return widths;
}

void TMessageListView::setColumnWidths(const std::array<int, 5> &widths)
{
    for (int c = 0; c < 5; ++c)
        setColumnWidth(c, widths[size_t(c)]);
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
