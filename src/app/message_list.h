#pragma once
// ListView1: the report list of waiting messages. It shows the rows of the
// WaitingMessages model (row i is item i of the POP3 client's list) with
// each row's mark picture, through TMessageListModel: it keeps no copy of a
// row, draws only the rows on screen, and shows new rows in batches. It
// never sorts, and its texts cannot be edited.

#include "app/message_list_model.h"
#include "classify/waiting_messages.h"

#include <QTimer>
#include <QTreeView>
#include <array>
#include <vector>

namespace tw {

class TMessageListView : public QTreeView {
    Q_OBJECT
public:
    // Messages must outlive the view.
    explicit TMessageListView(const WaitingMessages &messages, QWidget *parent = nullptr);

    // The fifteen mark pictures "B0".."B14" (LoadUpImageList).
    void LoadUpImageList();
    static QIcon markPicture(int mark) { return TMessageListModel::markPicture(mark); }

    // Rows were appended to the messages: they are shown together the next
    // time the program handles its events, or at showNewRows.
    void rowsAppended();
    // Shows at once the rows that wait.
    void showNewRows();
    // The messages were emptied or refilled: the view shows them anew,
    // with nothing selected.
    void showAll();
    // Row's mark picture follows its mark.
    void markChanged(int row);
    // Every row's picture follows its mark.
    void showMarks();
    // Copies the view's selection into Messages' selected flags.
    void readSelection(WaitingMessages &messages);

    // --- rows as shown (the rows that wait are shown first) ---
    int rowCount();
    QString text(int row, int column);
    QIcon picture(int row);
    void setRowSelected(int row, bool selected);
    std::vector<int> selectedRows();
    int currentRow();
    void setCurrentRow(int row);

    // Seam for tests: TMessageListModel::rowsAnnounced.
    long long rowsAnnounced() const { return m_model->rowsAnnounced(); }

    // The widths as chosen (stored, or dragged by the user): the Subject
    // column's is the least it gets, however narrow the list.
    std::array<int, 5> columnWidths() const;
    void setColumnWidths(const std::array<int, 5> &widths);
    // Widens the Size and Date columns whose width is not Stored so that a
    // six-digit size and a full date with time fit in the list's font.
    void fitSizeAndDate(const std::array<bool, 5> &stored);

protected:
    // Letters are the main window's commands here: typing never moves the
    // selection to a row that starts with the letter.
    void keyboardSearch(const QString &) override {}
    void resizeEvent(QResizeEvent *event) override;
    // Also when a scroll bar comes or goes and the room changes.
    void updateGeometries() override;

private:
    // The Subject column takes the width the other columns leave, never
    // less than its chosen width, so the list fills its width and long
    // subjects get the room.
    void fillWithSubject();
    void columnResized(int column, int newWidth);

    TMessageListModel *m_model;
    int m_subjectWidth = 220; // the Subject column's chosen width
    bool m_filling = false;   // the Subject column is being widened to fill
    QTimer m_newRows; // shows the rows that wait, at the next round of events
};

} // namespace tw
