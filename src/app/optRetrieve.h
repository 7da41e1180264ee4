#pragma once
// TfrmRetrieving: the progress window shared by the check, deletion and
// download runs. Not modal; its "Click to cancel" button calls OnCancelClick,
// which the main window wires to its cancel command.

#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tw {

class TfrmRetrieving : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRetrieving(QWidget *parent = nullptr);

    // Server and mailbox shown in the two panels the next time the window is shown.
    std::function<std::pair<std::string, std::string>()> ServerAndMailbox;
    std::function<void()> OnCancelClick;

    void setTitle(const std::string &text);
    void setMessage(const std::string &text);
    // Shows the bar with Maximum and Position; hideProgress() hides it.
    void setProgress(int maximum, int position);
    void hideProgress();

    QLabel *lblTitle;
    QLabel *pnlServer;
    QLabel *pnlMailbox;
    QLabel *imgAnimation;
    QLabel *lblMessage;
    QProgressBar *ProgressBar1;
    QPushButton *btCancel;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void nextFrame();
    QTimer m_animation;
    int m_frame = 0;
};

} // namespace tw
