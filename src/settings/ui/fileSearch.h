#pragma once
// TfrmFileSearch: walks the disk from a start folder on a worker thread and
// lists every file whose name equals the target name, ignoring letter case.
// The caller sets StartFolder and Target, runs the window modally and, when
// it closes with OK, takes ChosenPath (empty when nothing was selected).
//
// The iterator's events fire on the worker thread. Only the name test runs
// there; everything that touches a control is queued to this window, so the
// controls see activation, the found files and the end in the walk's order.

#include "settings/FileIterator.h"

#include <QDialog>
#include <chrono>
#include <string>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace tw {

class TfrmFileSearch : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFileSearch(QWidget *parent = nullptr);
    // Stops a walk that still runs and waits for it.
    ~TfrmFileSearch() override;

    std::string StartFolder = "/";
    std::string Target = "foo.exe";
    const std::string &ChosenPath() const { return m_chosenPath; }
    int FilesFound() const { return m_count; }
    bool Searching() const { return m_searching; }
    bool WalkRunning() const { return !m_iterator.Idle(); }

    // --- controls (objectName = member name) ---
    QLabel *lblFileName;       // the target; a click asks for another
    QProgressBar *Animate1;    // busy while a walk runs
    QPushButton *btStart, *btCancel, *btClose, *btSource;
    QListWidget *ListBox;
    QStatusBar *StatusBar1;

    // --- commands ---
    void btStartClick();
    void btCancelClick();
    void btCloseClick();
    void btSourceClick();
    void ListBoxDblClick();
    void lblFileNameClick();

    // Closing in any way stops a running walk first and waits until it has ended.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The iterator's events. The query runs on the worker thread; the
    // other three run on this window's thread, queued.
    void IteratorActivate();
    void IteratorAddFileQuery(const std::string &fileName, bool &canAdd);
    void IteratorAddFile(const std::string &fileName);
    void IteratorTerminate();
    void UpdateButtons();
    void showSource();
    void stopAndWait();

    TFileIterator m_iterator;
    bool m_searching = false;  // from Start until the walk's end has reached this window
    int m_count = 0;
    std::string m_chosenPath;
    // Read by the worker thread during a walk; written only while none runs.
    std::string m_walkTarget;
    // Worker-thread only: when the status last showed a folder.
    std::chrono::steady_clock::time_point m_lastStatus;
};

} // namespace tw
