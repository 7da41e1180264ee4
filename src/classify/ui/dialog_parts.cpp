#include "classify/ui/dialog_parts.h"

#include "classify/rule_rows.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {

QLabel *makeHeading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    label->setFont(font);
    return label;
}

QLabel *makeNote(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

MarkChoice::MarkChoice(QWidget *parent)
    : QGroupBox(QStringLiteral("Mark message with :"), parent)
    , rbCheck(new QRadioButton(QStringLiteral("check mark"), this))
    , rbQuestion(new QRadioButton(QStringLiteral("question mark"), this))
{
    setObjectName(QStringLiteral("gbMark"));
    rbCheck->setObjectName(QStringLiteral("rbCheck"));
    rbQuestion->setObjectName(QStringLiteral("rbQuestion"));
    rbCheck->setIcon(QIcon(QStringLiteral(":/pictures/B0.png")));
    rbQuestion->setIcon(QIcon(QStringLiteral(":/pictures/B1.png")));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(rbCheck);
    layout->addWidget(rbQuestion);
    layout->addWidget(makeNote(QStringLiteral("Note: Only messages with a check mark will be deleted."), this));
    rbCheck->setChecked(true);
}

bool MarkChoice::checkMark() const { return rbCheck->isChecked(); }

void MarkChoice::setCheckMark(bool check) { (check ? rbCheck : rbQuestion)->setChecked(true); }

void fillOperatorList(QComboBox *list, int count)
{
    list->clear();
    for (int i = 0; i < count; ++i)
        list->addItem(QString::fromLatin1(operatorCaption(i)));
    list->setMaxVisibleItems(count);
    list->setCurrentIndex(0);
}

void selectIndex(QComboBox *list, int index)
{
    if (index >= 0 && index < list->count())
        list->setCurrentIndex(index);
}

QDialogButtonBox *makeOkCancel(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    ok->setObjectName(QStringLiteral("btOK"));
    cancel->setObjectName(QStringLiteral("btCancel"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return buttons;
}

void refuseInput(QWidget *field, const std::string &text)
{
    Prompts::current().error(text);
    field->setFocus();
}

} // namespace tw
