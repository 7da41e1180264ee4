#pragma once
// TfrmWhichMailbox: "Which Mail Box?" — lets the user pick one of the usable
// mailbox accounts (box ticked and server filled in) for a check.

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

namespace tw {

struct MailboxChoice {
    int number = 0;        // 1..12
    std::string userName;
    std::string server;
};

class TfrmWhichMailbox : public QDialog {
    Q_OBJECT
public:
    // Mailboxes: the usable accounts in number order; Preselect: the number to
    // select when listed (none selected otherwise).
    TfrmWhichMailbox(const std::vector<MailboxChoice> &mailboxes, int preselect, QWidget *parent = nullptr);

    // The chosen number after "OK", 0 when cancelled.
    int chosenMailbox() const { return m_chosen; }

    QComboBox *cbMailbox;
    QPushButton *btOK;
    QPushButton *btCancel;

private:
    void btOKClick();
    int m_chosen = 0;
};

// Shows the dialog modally; returns the chosen number or 0 when cancelled.
int askWhichMailbox(const std::vector<MailboxChoice> &mailboxes, int preselect, QWidget *parent = nullptr);

} // namespace tw
