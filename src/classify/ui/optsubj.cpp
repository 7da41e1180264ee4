#include "classify/ui/optsubj.h"

#include "classify/ui/dialog_parts.h"
#include "platform/bytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tw {

namespace {

const char *const kSubjectSuggestions[] = {
    "!!", "$$", "==", "adult site", "adults only", "advertise", "advertising", "bulk", "buy", "call 800", "dollar",
    "exciting", "extra income", "for only", "free", "guaranteed", "help wanted", "huge", "income",
    "incredible deal", "lottery", "make money", "market", "million", "MLM", "mlm", "naked", "nude", "offer",
    "opportunity", "please read", "profit", "read this", "rich", "save $", "secret", "sex", "spam", "specials",
    "weight", "win $", "women", "work at home", "XXX"};

} // namespace

TfrmOptionsSubject::TfrmOptionsSubject(QWidget *parent)
    : QDialog(parent)
    , cbWhat(new QComboBox(this))
    , edit1(new QComboBox(this))
    , cbCase(new QCheckBox(QStringLiteral("&Check if case matters (upper/lower)"), this))
    , mark(new MarkChoice(this))
{
    setObjectName(QStringLiteral("frmOptionsSubject"));
    setWindowTitle(QStringLiteral("Subject line options"));
    cbWhat->setObjectName(QStringLiteral("cbWhat"));
    edit1->setObjectName(QStringLiteral("edit1"));
    edit1->setAccessibleName(QStringLiteral("Subject text the rule matches"));
    cbCase->setObjectName(QStringLiteral("cbCase"));
    fillOperatorList(cbWhat, kSubjectOperatorCount);
    edit1->setEditable(true);
    edit1->setInsertPolicy(QComboBox::NoInsert);
    for (const char *suggestion : kSubjectSuggestions)
        edit1->addItem(QString::fromLatin1(suggestion));
    edit1->setCurrentIndex(-1);
    edit1->setEditText(QString());

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(QStringLiteral("The Subject line characteristics"), this));
    layout->addWidget(makeNote(QStringLiteral("If text in the subject line follows any of these patterns it will be "
                                              "marked for deletion since it looks like a potential spam."),
                               this));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("The subject line:"), cbWhat);
    form->addRow(QString(), edit1);
    form->addRow(QString(), cbCase);
    layout->addLayout(form);
    layout->addWidget(mark);
    layout->addWidget(makeOkCancel(this));
    connect(cbWhat, &QComboBox::currentIndexChanged, this, [this] { cbWhatClick(); });
    cbWhatClick();
    resize(440, sizeHint().height());
}

void TfrmOptionsSubject::cbWhatClick()
{
    const bool usesText = cbWhat->currentIndex() < kTextOperatorCount;
    edit1->setVisible(usesText);
    cbCase->setVisible(usesText);
}

void TfrmOptionsSubject::setFields(const SubjectRuleFields &fields)
{
    selectIndex(cbWhat, fields.op);
    edit1->setEditText(toDisplay(fields.text));
    cbCase->setChecked(fields.caseMatters);
    mark->setCheckMark(fields.checkMark);
    cbWhatClick();
}

SubjectRuleFields TfrmOptionsSubject::fields() const
{
    SubjectRuleFields fields;
    fields.op = cbWhat->currentIndex();
    fields.text = fromDisplay(edit1->currentText());
    fields.caseMatters = cbCase->isChecked();
    fields.checkMark = mark->checkMark();
    return fields;
}

void TfrmOptionsSubject::accept()
{
    const std::string error = subjectFieldsError(fields());
    if (!error.empty()) {
        refuseInput(edit1, error);
        return;
    }
    edit1->setEditText(toDisplay(trimmed(fromDisplay(edit1->currentText()))));
    QDialog::accept();
}

} // namespace tw
