#include "app/message_list_model.h"

#include "platform/bytes.h"

#include <QPixmap>

namespace tw {

namespace {

const char *const kHeadings[TMessageListModel::kColumns] = {"Subject", "Sender", "Name", "Size", "Date"};
constexpr int kSizeColumn = 3;

const std::string &columnText(const TWaitingMessage &message, int column)
{
    switch (column) {
    case 0:
        return message.subject;
    case 1:
        return message.senderAddress;
    case 2:
        return message.senderName;
    case 3:
        return message.sizeText;
    default:
        return message.dateText;
    }
}

} // namespace

TMessageListModel::TMessageListModel(const WaitingMessages &messages, QObject *parent)
    : QAbstractTableModel(parent), m_messages(messages)
{
    QPixmap empty(16, 16);
    empty.fill(Qt::transparent);
    m_blank = QIcon(empty);
    loadPictures();
}

void TMessageListModel::loadPictures()
{
    for (int i = 0; i < 15; ++i)
        m_pictures[size_t(i)] = markPicture(i);
}

QIcon TMessageListModel::markPicture(int mark)
{
    if (mark < 0 || mark > 14)
        return {};
    return QIcon(QStringLiteral(":/pictures/B%1.png").arg(mark));
}

int TMessageListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_shown; }

int TMessageListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant TMessageListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown || index.row() >= m_messages.count())
        return {};
    const TWaitingMessage &message = m_messages.row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return toDisplay(columnText(message, index.column()));
    case Qt::DecorationRole:
        if (index.column() != 0)
            return {};
        return message.mark >= 0 && message.mark <= 14 ? m_pictures[size_t(message.mark)] : m_blank;
    case Qt::TextAlignmentRole:
        if (index.column() == kSizeColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case Qt::AccessibleTextRole:
        // The mark's picture in words, before the subject it belongs to.
        if (index.column() == 0 && !markMeaning(message.mark).empty())
            return toDisplay(markMeaning(message.mark) + ". " + message.subject);
        return {};
    case Qt::AccessibleDescriptionRole:
        return index.column() == 0 ? toDisplay(markMeaning(message.mark)) : QVariant();
    case Qt::UserRole:
        return message.mark;
    default:
        return {};
    }
}

QVariant TMessageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kHeadings[section]);
    if (role == Qt::TextAlignmentRole && section == kSizeColumn)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags TMessageListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void TMessageListModel::showNewRows()
{
    const int total = m_messages.count();
    if (total < m_shown) { // emptied without showAll
        showAll();
        return;
    }
    if (total == m_shown)
        return;
    beginInsertRows({}, m_shown, total - 1);
    m_rowsAnnounced += total - m_shown;
    m_shown = total;
    endInsertRows();
}

void TMessageListModel::showAll()
{
    beginResetModel();
    m_shown = m_messages.count();
    m_rowsAnnounced += m_shown;
    endResetModel();
}

void TMessageListModel::markChanged(int row)
{
    if (row < 0 || row >= m_shown)
        return;
    ++m_rowsAnnounced;
    emit dataChanged(index(row, 0), index(row, 0), {Qt::DecorationRole, Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole, Qt::UserRole});
}

void TMessageListModel::marksChanged()
{
    if (m_shown == 0)
        return;
    m_rowsAnnounced += m_shown;
    emit dataChanged(index(0, 0), index(m_shown - 1, 0), {Qt::DecorationRole, Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole, Qt::UserRole});
}

} // namespace tw
