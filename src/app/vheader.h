#pragma once
// TfrmViewHeader: the text window shared by the message inspection
// commands: the header blocks of the selected messages ("View Selected
// Headers"), the body of one message ("View Message Body"), or the
// explanation of a mark ("Why Is This E-mail Marked?"); each has its own
// caption, so that two of them open side by side can be told apart. A
// title line, a read-only text area and "OK", which is both the default and
// the cancel button. A body with attachments has "Save attachment..."
// beside it. Created for one use. The window can be resized; the size the user
// leaves it at is stored (TextWindow in the settings) and used next time.

#include "net/message_text.h"

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tw {

class TfrmViewHeader : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Body, Headers, Explanation };

    explicit TfrmViewHeader(Mode mode, QWidget *parent = nullptr);

    // Replaces the text by Lines. Raw header lines are bytes: shown as UTF-8
    // when valid, else as Latin-1. Text already converted to UTF-8 shows as is.
    void setLines(const std::vector<std::string> &lines);

    // Shows a message's body as read (lines wrap at the window's edge), then
    // what follows it (the cut, the attachments). For an HTML body the
    // switch "Show HTML source" appears and changes between the two.
    void setMessage(TShownMessage message);

    QLabel *lblTitle;
    QPlainTextEdit *memoText;
    QCheckBox *cbSource;
    // Shown while the message has attachments: a menu of them; the one
    // chosen is saved where the user says, and never opened.
    QPushButton *btSaveAttachment;
    QPushButton *btOK;

    // Asks where to save attachment I of the message shown (offering a safe
    // name) and saves it there with mode 0600.
    void saveAttachment(size_t i);

protected:
    void done(int result) override;

private:
    void showMessageText();
    TShownMessage m_message;
};

// Shows Lines in a new text window in Mode, modally.
void showTextWindow(TfrmViewHeader::Mode mode, const std::vector<std::string> &lines, QWidget *parent);
// Shows a message's body in a new text window, modally.
void showMessageWindow(TShownMessage message, QWidget *parent);

} // namespace tw
