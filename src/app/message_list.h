#pragma once
// ListView1: the report list of waiting messages. It only shows the rows of
// the WaitingMessages model (row i is item i of the POP3 client's list) with
// each row's mark picture; it never sorts, and its texts cannot be edited.

#include "classify/waiting_messages.h"

#include <QIcon>
#include <QTreeWidget>
#include <array>

namespace tw {

class TMessageListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TMessageListView(QWidget *parent = nullptr);

    // The fifteen mark pictures "B0".."B14" (LoadUpImageList).
    void LoadUpImageList();
    static QIcon markPicture(int mark);

    // Appends the display of Message as the last row.
    void appendRow(const TWaitingMessage &message);
    // Makes every row's picture show its mark in Messages.
    void showMarks(const WaitingMessages &messages);
    // Copies the view's selection into Messages' selected flags.
    void readSelection(WaitingMessages &messages) const;
    // Rebuilds the whole view from Messages.
    void showAll(const WaitingMessages &messages);

    std::array<int, 5> columnWidths() const;
    void setColumnWidths(const std::array<int, 5> &widths);
    // Widens the Size and Date columns whose width is not Stored so that a
    // six-digit size and a full date with time fit in the list's font.
    void fitSizeAndDate(const std::array<bool, 5> &stored);

protected:
    // Letters are the main window's commands here: typing never moves the
    // selection to a row that starts with the letter.
    void keyboardSearch(const QString &) override {}

private:
    std::array<QIcon, 15> m_pictures;
};

} // namespace tw
