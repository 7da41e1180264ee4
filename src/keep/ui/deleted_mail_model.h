#pragma once
// The kept copies as the "Deleted mail" window lists them: one row per copy,
// newest first, with the columns date deleted, mailbox, subject, sender,
// size and why. A search text narrows the rows to those whose subject or
// sender contains it (letter case of a..z ignored). Cells are made only for
// the rows on screen, so ten thousand copies list as fast as ten.

#include "keep/kept_message.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace tw {

class DeletedMailModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Deleted, Mailbox, Subject, Sender, Size, Why, ColumnCount };

    explicit DeletedMailModel(QObject *parent = nullptr);

    // Replaces the copies (in any order; they are shown newest first) and
    // applies the search text again.
    void setMessages(std::vector<KeptMessage> messages);
    // Shows only the copies whose subject or sender contains Text.
    void setSearchText(const QString &text);

    int totalCount() const { return int(m_messages.size()); }
    long long totalBytes() const;
    // The copy shown in row Row.
    const KeptMessage &message(int row) const { return m_messages[size_t(m_shown[size_t(row)])]; }

    // The explanation in one line: that the user marked the message, when
    // so, else its first finding (the line after the heading lines).
    static std::string whySummary(const KeptMessage &message);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void applySearch();
    std::string cell(const KeptMessage &message, int column) const;

    std::vector<KeptMessage> m_messages;
    std::vector<std::string> m_searchable;  // subject and sender of each copy, folded
    std::vector<int> m_shown;               // indexes into m_messages, in display order
    std::string m_search;                   // folded
    int m_sortColumn = Deleted;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
};

} // namespace tw
