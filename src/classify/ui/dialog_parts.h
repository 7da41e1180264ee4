#pragma once
// Pieces the rule dialogs share: the heading, the mark choice, the operator
// list and the OK/Cancel row.

#include <QGroupBox>
#include <QString>

#include <string>

class QComboBox;
class QDialog;
#include <QDialogButtonBox>
#include <QLabel>
class QRadioButton;
class QWidget;

namespace tw {

// A bold heading label.
QLabel *makeHeading(const QString &text, QWidget *parent);
// A word-wrapped explanation label.
QLabel *makeNote(const QString &text, QWidget *parent);

// "Mark message with :" check mark (rbCheck) or question mark (rbQuestion),
// with the note that only check-marked messages are deleted.
class MarkChoice : public QGroupBox {
public:
    explicit MarkChoice(QWidget *parent);
    bool checkMark() const;
    void setCheckMark(bool check);

    QRadioButton *rbCheck;
    QRadioButton *rbQuestion;
};

// Fills List with the captions of the first Count operator choices.
void fillOperatorList(QComboBox *list, int count);
// Selects Index in List when it is a valid item; otherwise keeps the choice.
void selectIndex(QComboBox *list, int index);

// OK (btOK) runs the dialog's accept(), which a dialog overrides to check
// its fields first; Cancel (btCancel) rejects.
QDialogButtonBox *makeOkCancel(QDialog *dialog);

// Shows Text as an error and gives Field the focus.
void refuseInput(QWidget *field, const std::string &text);

} // namespace tw
