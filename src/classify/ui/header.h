#pragma once
// The dialog that edits one header rule: a header line test or one of the
// three special sender/recipient rules.

#include "classify/rule_rows.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tw {

class MarkChoice;

class TfrmHeaders : public QDialog {
    Q_OBJECT

public:
    // MailboxLines: "<n>) <user> - server <server>" per configured mailbox.
    explicit TfrmHeaders(const std::vector<std::string> &mailboxLines, QWidget *parent = nullptr);

    void setFields(const HeaderRuleFields &fields);
    HeaderRuleFields fields() const;
    void setCountryButtonVisible(bool visible);

    // OK: refuses an empty header text ("Message Header") or an empty
    // address ("To"): error, focus, dialog stays open.
    void accept() override;
    // Opens the country picker; on OK a "Message Header" rule "Ends with"
    // the suffix, case not mattering.
    void btCountryClick();

    QRadioButton *rbReplyTomatch;
    QRadioButton *rbFromEqualsTo;
    QRadioButton *rbTo;
    QRadioButton *rbHeader;
    QLineEdit *edTo;
    QLabel *lblMailBox;
    QComboBox *cbMailBox;
    QComboBox *cbWhat;
    QComboBox *cbHeader;
    QCheckBox *cbCase;
    QLabel *lblCountry;
    MarkChoice *mark;
    QPushButton *btCountry;

private:
    // Shows the fields of the chosen kind of rule only.
    void rbReplyTomatchClick();
};

} // namespace tw
