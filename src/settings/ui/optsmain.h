#pragma once
// The spam settings window: the four rule tables, the size tests, the
// known-spammer blacklist, the unknown-domain and non-English tests and the
// learned score. It
// shows and edits the SpamSettingsModel the classification reads; OK saves
// the model to the files, Cancel reads it back from them.

#include "classify/rule_files.h"
#include "settings/settings_schema.h"
#include "settings/spam_model.h"

#include <QDialog>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace tw {

class KnownSpammers;
class LearnedFilter;
class RuleGridView;

// "<n>) <user> - server <server>" for each configured mailbox, 1 to 12.
std::vector<std::string> mailboxLines(const ServerSettings &servers);

class TfrmOptionsMain : public QDialog {
    Q_OBJECT

public:
    // Model: the live spam settings. KnownSpammers: the main window's
    // in-memory blacklist, rebuilt when the blacklist is saved here.
    // ShowHelp opens the help topic "Spam_Settings".
    TfrmOptionsMain(SpamSettingsModel &model, KnownSpammers &knownSpammers, std::function<void()> showHelp,
                    QWidget *parent = nullptr);
    // Stores the grids' column widths.
    ~TfrmOptionsMain() override;

    // The mailbox lines the header rule dialog offers (none when unset).
    std::function<std::vector<std::string>()> MailboxLines;
    // Lets the user choose the printer; false cancels. Default: the print dialog.
    std::function<bool(QPrinter &)> SetUpPrinter;

    // The learned score whose counts the "Learned score" page shows and
    // which "Train from files..." trains (the main window's, wired at
    // start-up). Without one the page shows no counts and cannot train.
    void setLearnedFilter(LearnedFilter *filter);

    // Reads the rule files and the ini values into the model and the
    // controls; a damaged rule file is shown as an error.
    void readSettings();
    // Writes the controls into the model and saves it; false (error shown)
    // when a file could not be written.
    bool Savesettings();
    // The four count labels and the blacklist count.
    void updateCounts();

    // Rule commands of each tab.
    void btAddSubjectClick() { insertRule(RuleKind::Subject); }
    void btAddHeaderClick() { insertRule(RuleKind::Header); }
    void btAddFromClick() { insertRule(RuleKind::Sender); }
    void btAddExceptClick() { insertRule(RuleKind::Exception); }
    void btEditSubjectClick() { editRule(RuleKind::Subject); }
    void btEditHeaderClick() { editRule(RuleKind::Header); }
    void btEditFromClick() { editRule(RuleKind::Sender); }
    void btEditExceptClick() { editRule(RuleKind::Exception); }
    void btDelSubjectClick() { deleteRule(RuleKind::Subject); }
    void btDeleteHeaderClick() { deleteRule(RuleKind::Header); }
    void btDelFromClick() { deleteRule(RuleKind::Sender); }
    void btDelExceptClick() { deleteRule(RuleKind::Exception); }
    void btPrintSubjectClick() { printRules(RuleKind::Subject); }
    void btPrintHeaderClick() { printRules(RuleKind::Header); }
    void btPrintFromClick() { printRules(RuleKind::Sender); }
    void btPrintExceptClick() { printRules(RuleKind::Exception); }
    void btImportClick() { importRules(RuleKind::Subject); }
    void btImportExceptionsClick() { importRules(RuleKind::Exception); }
    void btUpSubjectClick(RuleKind kind);
    void btDownSubjectClick(RuleKind kind);

    // Blacklist editor.
    void btEditClick();
    void btSaveChangesClick();
    void btCancelChangesClick();
    // Counters and sensitivity.
    void btClearClick();
    void btAsciiResetClick();
    void btAsciiClick();
    // Opens "Train from files" and shows the new counts afterwards.
    void btLearnFilesClick();

    void btOKClick();
    void btCancelClick();

    RuleGridView *grid(RuleKind kind) const { return m_tabs[size_t(kind)].grid; }
    QLabel *countLabel(RuleKind kind) const { return m_tabs[size_t(kind)].count; }

    QTabWidget *PageControl1;
    RuleGridView *gridSubject;
    RuleGridView *gridHeader;
    RuleGridView *gridFrom;
    RuleGridView *gridExcept;

    QCheckBox *cbSmaller;
    QSpinBox *nSmaller;
    QRadioButton *rbSmallerCheck;
    QRadioButton *rbSmallerQuestion;
    QCheckBox *cbLarger;
    QSpinBox *nLarger;
    QRadioButton *rbLargerCheck;
    QRadioButton *rbLargerQuestion;

    QCheckBox *cbKnownSpammers;
    QPlainTextEdit *memo1;
    QPushButton *btEdit;
    QPushButton *btSaveChanges;
    QPushButton *btCancelChanges;
    QLabel *lblSpamCount;
    QLabel *pnlSorting;

    QCheckBox *cbValid;
    QWidget *pnlValid;
    QRadioButton *rbCheck;
    QRadioButton *rbQuestion;
    QLineEdit *edUnknown;

    QCheckBox *cbAscii;
    QWidget *pnlAscii;
    QRadioButton *rbAsciiCheck;
    QRadioButton *rbAsciiQuestion;
    QLineEdit *edAscii;

    QCheckBox *cbLearned;
    QWidget *pnlLearned;
    QDoubleSpinBox *nLearnedCutoff;
    QRadioButton *rbLearnedCheck;
    QRadioButton *rbLearnedQuestion;
    QLabel *lblLearnedCounts;
    QPushButton *btLearnFiles;

protected:
    void showEvent(QShowEvent *event) override;
    // Cancel, Escape and closing the window: the model is read back from
    // the files and unsaved blacklist edits are dropped.
    void reject() override;

private:
    struct RuleTab {
        RuleGridView *grid = nullptr;
        QLabel *count = nullptr;
    };

    QWidget *makeRuleTab(RuleKind kind, RuleGridView *&grid);
    QWidget *makeSizeTab();
    QWidget *makeBlackListTab();
    QWidget *makeValidTab();
    QWidget *makeAsciiTab();
    QWidget *makeLearnedTab();
    void updateLearnedCounts();

    void FormShow();
    void loadControls();
    void storeControls();
    void refreshGrids();
    void updateEnabling();

    void insertRule(RuleKind kind);
    void editRule(RuleKind kind);
    void deleteRule(RuleKind kind);
    void printRules(RuleKind kind);
    void importRules(RuleKind kind);
    // Opens Kind's rule dialog filled from Row (Edit) or with the insert
    // choices (Row 0); on OK writes it into the row Target gives.
    bool runRuleDialog(RuleKind kind, int row, const std::function<int()> &target);

    std::string blacklistPath() const;
    void loadBlacklist();
    void setBlacklistEditing(bool editing);
    void saveBlacklist();

    SpamSettingsModel &m_model;
    KnownSpammers &m_knownSpammers;
    std::function<void()> m_showHelp;
    std::array<RuleTab, 4> m_tabs;
    LearnedFilter *m_learned = nullptr;
};

} // namespace tw
