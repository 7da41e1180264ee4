#pragma once
// The rows of ListView1 as a model over the waiting messages: it holds no
// copy of them, only how many are shown, so a listed message costs the view
// nothing until it is drawn, and only the rows on screen are ever drawn.
// New rows are shown in batches (showNewRows), never one by one.

#include "classify/waiting_messages.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <array>

namespace tw {

class TMessageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;

    // Messages must outlive the model.
    explicit TMessageListModel(const WaitingMessages &messages, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    // Display texts of the five columns, the mark picture of column 0 (a
    // blank one without a mark, so subjects stay aligned), the mark itself
    // as UserRole, and the Size column right-aligned.
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Shows the messages appended since the last call, in one insertion.
    void showNewRows();
    // Whether messages wait to be shown.
    bool hasNewRows() const { return m_shown < m_messages.count(); }
    // Shows the messages as they are now, from scratch (after the list was
    // emptied or refilled).
    void showAll();
    // Row's mark is drawn anew; a row not shown yet will show its mark then.
    void markChanged(int row);
    // Every mark is drawn anew (the view draws only the rows on screen).
    void marksChanged();

    // Seam for tests: the rows covered by every change announced to the
    // view so far (rows shown, marks drawn anew, the list shown afresh),
    // which is the work the view is given.
    long long rowsAnnounced() const { return m_rowsAnnounced; }

    // The fifteen pictures "B0".."B14" (LoadUpImageList).
    void loadPictures();
    static QIcon markPicture(int mark);

private:
    const WaitingMessages &m_messages;
    int m_shown = 0;
    long long m_rowsAnnounced = 0;
    std::array<QIcon, 15> m_pictures;
    QIcon m_blank;
};

} // namespace tw
