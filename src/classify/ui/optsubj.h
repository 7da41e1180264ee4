#pragma once
// The dialog that edits one subject rule.

#include "classify/rule_rows.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace tw {

class MarkChoice;

class TfrmOptionsSubject : public QDialog {
    Q_OBJECT

public:
    explicit TfrmOptionsSubject(QWidget *parent = nullptr);

    // Shows Fields (an unknown operator index keeps the current choice).
    void setFields(const SubjectRuleFields &fields);
    SubjectRuleFields fields() const;

    // OK: refuses a blank text for an operator that needs one (error shown,
    // focus on the text, dialog stays open); else trims the text and closes.
    void accept() override;

    QComboBox *cbWhat;
    QComboBox *edit1;
    QCheckBox *cbCase;
    MarkChoice *mark;

private:
    // Shows the text and the case box only for operators that use a text.
    void cbWhatClick();
};

} // namespace tw
