#include "keep/ui/deleted_mail_model.h"

#include "platform/bytes.h"
#include "platform/clock_locale.h"

#include <QDateTime>
#include <algorithm>

namespace tw {

namespace {

// The heading lines of an explanation: sender, subject and an empty line.
constexpr size_t kWhyHeadingLines = 3;
// The line an explanation ends with when the user set the check mark.
constexpr const char *kMarkedByUser = "** You marked this message **";

std::string mailboxText(const KeptMessage &message)
{
    if (!message.user.empty())
        return message.user;
    return message.mailbox > 0 ? "#" + std::to_string(message.mailbox) : std::string();
}

std::string senderText(const KeptMessage &message)
{
    return message.senderName.empty() ? message.senderAddress : message.senderAddress + " " + message.senderName;
}

} // namespace

DeletedMailModel::DeletedMailModel(QObject *parent) : QAbstractTableModel(parent) {}

std::string DeletedMailModel::whySummary(const KeptMessage &message)
{
    // A mark the user set by hand decides more than what the rules found.
    for (const std::string &line : message.why)
        if (line == kMarkedByUser)
            return line;
    if (message.why.size() > kWhyHeadingLines)
        return message.why[kWhyHeadingLines];
    return message.why.empty() ? std::string() : message.why.back();
}

void DeletedMailModel::setMessages(std::vector<KeptMessage> messages)
{
    beginResetModel();
    m_messages = std::move(messages);
    m_searchable.clear();
    m_searchable.reserve(m_messages.size());
    for (const KeptMessage &message : m_messages)
        m_searchable.push_back(lowerCase(message.subject + "\n" + senderText(message)));
    applySearch();
    endResetModel();
    sort(m_sortColumn, m_sortOrder);
}

void DeletedMailModel::setSearchText(const QString &text)
{
    beginResetModel();
    m_search = lowerCase(fromDisplay(text.trimmed()));
    applySearch();
    endResetModel();
    sort(m_sortColumn, m_sortOrder);
}

void DeletedMailModel::applySearch()
{
    m_shown.clear();
    for (size_t i = 0; i < m_messages.size(); ++i)
        if (m_search.empty() || m_searchable[i].find(m_search) != std::string::npos)
            m_shown.push_back(int(i));
}

long long DeletedMailModel::totalBytes() const
{
    long long bytes = 0;
    for (const KeptMessage &message : m_messages)
        bytes += message.storedBytes;
    return bytes;
}

int DeletedMailModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

int DeletedMailModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

std::string DeletedMailModel::cell(const KeptMessage &message, int column) const
{
    switch (column) {
    case Deleted:
        return LocaleFormats::shortDateTime(toTDateTime(QDateTime::fromSecsSinceEpoch(message.deletedAt).toLocalTime()));
    case Mailbox: return mailboxText(message);
    case Subject: return message.subject;
    case Sender: return senderText(message);
    case Size: return std::to_string(message.size) + (message.headersOnly ? " (header kept)" : "");
    case Why: return whySummary(message);
    default: return {};
    }
}

QVariant DeletedMailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const KeptMessage &shown = message(index.row());
    if (role == Qt::DisplayRole)
        return toDisplay(cell(shown, index.column()));
    if (role == Qt::ToolTipRole) {
        if (index.column() == Mailbox)
            return toDisplay("Mailbox " + std::to_string(shown.mailbox) + ": " + shown.user + " on " + shown.server);
        if (index.column() == Why || index.column() == Subject)
            return toDisplay(cell(shown, index.column()));
    }
    if (role == Qt::TextAlignmentRole && index.column() == Size)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant DeletedMailModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const titles[ColumnCount] = {"Deleted", "Mailbox", "Subject", "Sender", "Size", "Why"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

void DeletedMailModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    const auto key = [&](int i) -> const KeptMessage & { return m_messages[size_t(i)]; };
    const auto less = [&](int a, int b) {
        const KeptMessage &x = key(a), &y = key(b);
        switch (column) {
        case Mailbox: return compareText(mailboxText(x), mailboxText(y)) < 0;
        case Subject: return compareText(x.subject, y.subject) < 0;
        case Sender: return compareText(senderText(x), senderText(y)) < 0;
        case Size: return x.size < y.size;
        case Why: return compareText(whySummary(x), whySummary(y)) < 0;
        default: return x.deletedAt != y.deletedAt ? x.deletedAt < y.deletedAt : x.fileName < y.fileName;
        }
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> rowsBefore;
    for (const QModelIndex &index : before)
        rowsBefore.push_back(m_shown[size_t(index.row())]);
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_shown.begin(), m_shown.end(), less);
    else
        std::stable_sort(m_shown.begin(), m_shown.end(), [&](int a, int b) { return less(b, a); });
    // Selections follow their copies to their new rows.
    std::vector<int> rowOf(m_messages.size(), -1);
    for (size_t row = 0; row < m_shown.size(); ++row)
        rowOf[size_t(m_shown[row])] = int(row);
    QModelIndexList after;
    for (size_t i = 0; i < size_t(before.size()); ++i)
        after.push_back(index(rowOf[size_t(rowsBefore[i])], before[int(i)].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace tw
