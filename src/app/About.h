#pragma once
// TfrmAbout: "How to contact us" with its three pages: About, the "Bust a
// spam" stress-relief game, and Version Check.

#include "platform/program_version.h"

#include <QDialog>
#include <QTimer>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace tw {

inline constexpr const char *kVersionText = kProgramVersion;
inline constexpr const char *kMakerWebAddress = "http://www.quillmarsh.example/tidewell/";

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    enum class Page { About, BustASpam, VersionCheck };
    explicit TfrmAbout(Page page, QWidget *parent = nullptr);

    QTabWidget *pages;
    QLabel *im1;          // the picture to hit
    QLabel *RzLabel2;     // the points
    QCheckBox *cbSound;
    QPushButton *btVers, *btClose, *btWeb, *btRecommend;

    int points() const { return m_points; }

    void im1Click();
    void RzLabel2DblClick();
    void btWebClick();
    void btRecommendClick();
    void btVersClick(); // the version check window, modally

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override; // FormClose
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPoints();
    void Timer1Timer();
    void PlayGongSound();
    void PlaySighSound();

    QTimer m_restore;
    int m_points = 0;
    int m_pointsAtShow = 0;
};

} // namespace tw
