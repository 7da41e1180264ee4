#pragma once
// TfrmMailProgramSearch: "Search for mail program". The user picks a known
// mail program, whose executable is then searched for on the disk (the file
// search window), or "Other", which opens a file dialog. OK and a
// double-click on an entry run the choice and close the dialog with OK;
// Result() is the chosen path, empty when nothing was chosen, so the caller
// keeps the path it had.

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

class QListWidget;
class QPushButton;

namespace tw {

class TfrmMailProgramSearch : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMailProgramSearch(QWidget *parent = nullptr);

    // Each entry and the executable it searches for ("" for "Other").
    static const std::vector<std::pair<std::string, std::string>> &Entries();

    // Where the disk search starts.
    std::string StartFolder = "/";
    const std::string &Result() const { return m_result; }

    // --- controls (objectName = member name) ---
    QListWidget *lbWhich;
    QPushButton *btOK, *btCancel;

    void btOKClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void chooseOtherProgram();
    void searchFor(const std::string &fileName);

    std::string m_result;
};

} // namespace tw
