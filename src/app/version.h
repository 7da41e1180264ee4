#pragma once
// TfrmVersionCheck: asks the maker's web site for the latest version of the
// program and its release notes, and says whether this copy is up to date.
//
// The site holds "ver.txt" (first line the latest version, second line the
// date of its last update), "note.rtf" (the release notes) and "update.htm"
// (the page to download from). Its address is kMakerWebAddress unless the
// environment variable TIDEWELL_UPDATE_SITE names another (a mirror, or a
// local server for testing).

#include "net/aghttp.h"

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QStackedWidget;
class QStatusBar;
class QTextBrowser;

namespace tw {

class TfrmVersionCheck : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVersionCheck(QWidget *parent = nullptr);

    // The site's address, ending in "/".
    std::string SiteAddress;
    // The most the two documents may hold: the version document is two short
    // lines; the release notes are converted to text as they are shown.
    static constexpr long long MaxVersionBytes = 1024;
    static constexpr long long MaxNotesBytes = 1LL << 20;

    // --- controls (objectName = member name) ---
    QLabel *lblTitle;
    QStackedWidget *pages;   // the introduction panel lies over the notes
    QLabel *pnlIntro;
    QTextBrowser *RichEdit1; // the release notes, web addresses as links
    QPushButton *btCheck, *btUpdate, *btClose;
    QStatusBar *StatusBar1;
    TagHTTP agHTTP1;
    // The version document's lines, read by the last check.
    std::vector<std::string> VersionLines;

    void btCheckClick();
    void btUpdateClick();
    void btCloseClick() { reject(); }
    void FormShow();

    // Closing while a request waits cancels it first.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CheckTheVersion();
    // Fetches the document File of the site, at most MaxBytes of it; a
    // status other than 2xx is an error, and so is a larger document.
    std::string fetch(const std::string &file, long long maxBytes);
    void showNotes(const std::string &notes);
    void setStatus(const std::string &text);

    bool m_checking = false; // a check waits for the network
    bool m_closing = false;
};

} // namespace tw
