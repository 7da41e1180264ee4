#pragma once
// The dialog that edits one exception: mail from an address or domain, or
// with a header line that matches, is always accepted and shown with the
// picture chosen here.

#include "classify/rule_rows.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace tw {

class TfrmAlwaysAccept : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAlwaysAccept(QWidget *parent = nullptr);

    void setFields(const ExceptionRuleFields &fields);
    // The fields; the image is the picker's selected cell (3..14).
    ExceptionRuleFields fields() const;

    // OK: refuses an empty text of the chosen kind: error, focus, stays open.
    void accept() override;

    QRadioButton *rbEmail;
    QLineEdit *edEmail;
    QRadioButton *rbDomain;
    QLineEdit *edDomain;
    QRadioButton *rbSubject;
    QComboBox *cbLine;
    QComboBox *cbWhat;
    QLineEdit *edSubject;
    QCheckBox *cbCase;
    QTableWidget *gridImages; // one row of the exception pictures 3..14

private:
    // Shows only the chosen kind's fields and focuses its text.
    void EsLabel1Click();
    void fillUpGrid();
    QLabel *m_emailHint;
    QLabel *m_domainHint;
};

} // namespace tw
