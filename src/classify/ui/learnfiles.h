#pragma once
// "Train from files": the learned score reads a folder of .eml files, a
// Maildir or an mbox file and trains every message in it as junk or as
// ordinary mail, showing its progress; Cancel stops it, keeping what was
// trained so far. The store is saved when the reading ends.

#include "classify/learned_filter.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tw {

class TfrmLearnFiles : public QDialog {
    Q_OBJECT

public:
    explicit TfrmLearnFiles(LearnedFilter &filter, QWidget *parent = nullptr);

    // Reads the chosen source and trains it (what "&Train" does).
    void btTrainClick();
    // While training: stops it. Otherwise closes the window.
    void btCloseClick();
    bool training() const { return m_training; }

    QLineEdit *edPath;
    QPushButton *btFolder;
    QPushButton *btFile;
    QRadioButton *rbJunk;
    QRadioButton *rbOrdinary;
    QProgressBar *ProgressBar1;
    QLabel *lblProgress;
    QPushButton *btTrain;
    QPushButton *btClose;

protected:
    // Closing the window while it trains only stops the training.
    void reject() override;

private:
    void chooseFolder();
    void chooseFile();
    void updateEnabling();

    LearnedFilter &m_filter;
    bool m_training = false;
    bool m_cancel = false;
};

} // namespace tw
