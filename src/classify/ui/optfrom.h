#pragma once
// The dialog that edits one sender rule.

#include "classify/rule_rows.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace tw {

class MarkChoice;

class TfrmOptionsFROM : public QDialog {
    Q_OBJECT

public:
    explicit TfrmOptionsFROM(QWidget *parent = nullptr);

    void setFields(const SenderRuleFields &fields);
    SenderRuleFields fields() const;
    // Insert shows "Block out a country"; Edit hides it.
    void setCountryButtonVisible(bool visible);

    // OK: refuses a blank visible text (error, focus, stays open); a hidden
    // text is emptied; the text is trimmed.
    void accept() override;

    QComboBox *cbDomain;
    QComboBox *cbWhat;
    QComboBox *edit1;
    MarkChoice *mark;
    QPushButton *btCountry;
    QLabel *lblCountry;

    // Opens the country picker; on OK the rule becomes "Domain name" "Ends
    // with" the picked suffix.
    void btCountryClick();

private:
    void cbWhatClick();
};

} // namespace tw
