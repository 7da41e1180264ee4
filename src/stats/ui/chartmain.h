#pragma once
// TfrmChartMain: the statistics launcher. It asks which activity log to
// read, reads it off the interface thread with a progress bar (the window
// stays responsive and may be closed meanwhile, which abandons the reading),
// and then shows the statistics window for one viewing.

#include "stats/log_reader.h"

#include <QDialog>
#include <QFutureWatcher>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tw {

class TfrmChart;

// What the reading thread hands back.
struct LogReadResult {
    std::optional<ActivityLogData> data;
    std::string error;  // the text to show when Data is empty ("" when cancelled)
};

class TfrmChartMain : public QDialog {
    Q_OBJECT
public:
    explicit TfrmChartMain(QWidget *parent = nullptr);
    ~TfrmChartMain() override;

    // --- controls (objectName = member name) ---
    QLabel *lblLogFile;
    QLineEdit *edLogFile;
    QPushButton *btBrowse, *btOK, *btCancel;
    QProgressBar *ProgressBar1;

    void btBrowseClick();
    void btOKClick();

    // True from "OK" until the statistics window has closed (or the reading
    // failed or was abandoned): at most one viewing at a time.
    static bool viewingInProgress();
    // True while a launcher exists.
    static bool isOpen();

signals:
    // The statistics window is about to be shown (tests and benchmarks watch it).
    void chartReady(tw::TfrmChart *chart);

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void readingFinished();
    void endViewing();

    QFutureWatcher<LogReadResult> m_reading;
    bool m_viewing = false;  // this launcher holds the in-progress mark
};

// The statistics command of the main window, its tray menu and the general
// settings window: opens the launcher modally over Parent, unless
// statistics are already open.
void showStatisticsLauncher(QWidget *parent = nullptr);

} // namespace tw
