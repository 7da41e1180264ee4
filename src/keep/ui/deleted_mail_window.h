#pragma once
// TfrmDeletedMail: "Deleted mail", the kept copies of deleted messages,
// newest first, with a search box over subject and sender. For the selected
// copies it shows why the message was marked, views it through the
// program's body view, saves it as an .eml file, hands it to the mail
// program, moves an IMAP message back from the junk folder, or deletes the
// copy for good. Created for one use.

#include "keep/deleted_mail_store.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

namespace tw {

class DeletedMailModel;

// What became of one message given to DeletedMailCommands::moveBack.
struct MoveBackOutcome {
    bool moved = false;
    std::string text;  // why it was not moved back; "" when it was
};

// What the window asks of the rest of the program.
struct DeletedMailCommands {
    // Shows the message in the file at Path in the program's body view.
    std::function<void(const std::string &path, QWidget *over)> viewMessage;
    // Shows Lines in the program's text window as an explanation.
    std::function<void(const std::vector<std::string> &lines, QWidget *over)> showExplanation;
    // The configured mail program ("" when none is set).
    std::function<std::string()> mailProgram;
    // The user took Message (whose copy holds Bytes) back: saved it as a
    // file or handed it to the mail program.
    std::function<void(const KeptMessage &message, const std::string &bytes)> restored;
    // Moves Messages (each one that canMoveBack, keep/kept_move_back.h) from
    // the junk folder back to the folder they were listed in, on their
    // mailboxes' servers. One outcome per message, in their order; a
    // message missing from the answer was not moved. Unset: the window
    // offers no moving back.
    std::function<std::vector<MoveBackOutcome>(const std::vector<KeptMessage> &messages)> moveBack;
};

class TfrmDeletedMail : public QDialog {
    Q_OBJECT
public:
    // Lists the copies in Store.
    TfrmDeletedMail(const DeletedMailStore &store, DeletedMailCommands commands, QWidget *parent = nullptr);

    // --- controls (objectName = member name) ---
    QLineEdit *edSearch;
    QTableView *lvDeleted;
    QLabel *lblStatus;
    QPushButton *btWhy, *btView, *btSaveAs, *btOpen, *btMoveBack, *btDeleteNow, *btClose;
    QMenu *PopupMenu1;
    DeletedMailModel *model() const { return m_model; }

    // Reads the folder again.
    void reload();
    // The copies of the selected rows, in the order shown.
    std::vector<KeptMessage> selectedMessages() const;

    // --- commands, each on the selected copies ---
    void btWhyClick();        // "Why was this e-mail marked?"
    void btViewClick();       // the first one in the body view
    void btSaveAsClick();     // one: a file chosen by the user; several: a folder chosen
    void btOpenClick();       // the first one in the mail program
    // "Move back to the inbox": only when every selected copy is of an IMAP
    // message that can be moved back. The copies of the messages moved back
    // leave the folder, as they are in their mailbox again.
    void btMoveBackClick();
    void btDeleteNowClick();  // for good, after a question

private:
    void buildControls();
    void updateCommands();
    void updateStatus();
    // The first selected copy; several selected: the note that only the first is used.
    const KeptMessage *firstSelected();
    // Saves the copy to Path; an error box when that fails.
    bool saveCopy(const KeptMessage &message, const std::string &path);

    const DeletedMailStore &m_store;
    DeletedMailCommands m_commands;
    DeletedMailModel *m_model;
};

// A file name for saving a message with Subject: its letters, digits and
// a few harmless marks, at most 60 bytes, then ".eml"; "message.eml" when
// nothing is left.
std::string suggestedFileName(const std::string &subject);

} // namespace tw
