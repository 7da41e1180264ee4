#include "classify/ui/optfrom.h"

#include "classify/ui/dialog_parts.h"
#include "classify/ui/internt.h"
#include "platform/bytes.h"
#include "platform/ui/plain_text.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

namespace {

const char *const kSenderSuggestions[] = {
    "bigbucks", "bulkemail", "business", "cableguys", "canceranswer", "careers", "cash", "casino", "clubmail",
    "credaid", "credaide", "credit", "directmail", "dontreply", "energy", "erotic", "floodgate", "fortune",
    "freedom", "freesoftware", "friend", "friends", "global", "golf", "gorgeousgirls", "health", "help",
    "helpcrdt", "homebiz", "hotbabe69", "important", "info", "internet", "market", "nobody", "opportunity",
    "platinum", "politics", "profit", "promotion", "psychic", "remove", "sales", "scoop", "selective.marketing",
    "sender", "sexy", "stop", "stopnow", "success", "video", "virtual", "wealth", "xxx"};

constexpr int kDomainNameItem = 1;
constexpr int kEndsWithItem = 4;

} // namespace

TfrmOptionsFROM::TfrmOptionsFROM(QWidget *parent)
    : QDialog(parent)
    , cbDomain(new QComboBox(this))
    , cbWhat(new QComboBox(this))
    , edit1(new QComboBox(this))
    , mark(new MarkChoice(this))
    , btCountry(new QPushButton(QStringLiteral("Block out a country"), this))
    , lblCountry(plainLabel(new QLabel(this)))
{
    setObjectName(QStringLiteral("frmOptionsFROM"));
    setWindowTitle(QStringLiteral("Sender characteristics"));
    cbDomain->setObjectName(QStringLiteral("cbDomain"));
    cbWhat->setObjectName(QStringLiteral("cbWhat"));
    edit1->setObjectName(QStringLiteral("edit1"));
    edit1->setAccessibleName(QStringLiteral("Sender text the rule matches"));
    btCountry->setObjectName(QStringLiteral("btCountry"));
    lblCountry->setObjectName(QStringLiteral("lblCountry"));
    cbDomain->addItems({QStringLiteral("E-mail address"), QStringLiteral("Domain name")});
    fillOperatorList(cbWhat, kOperatorChoiceCount);
    edit1->setEditable(true);
    edit1->setInsertPolicy(QComboBox::NoInsert);
    for (const char *suggestion : kSenderSuggestions)
        edit1->addItem(QString::fromLatin1(suggestion));
    edit1->setCurrentIndex(-1);
    edit1->setEditText(QString());
    cbDomain->setCurrentIndex(kDomainNameItem);
    cbWhat->setCurrentIndex(2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(QStringLiteral("The Sender characteristics"), this));
    layout->addWidget(makeNote(QStringLiteral("If the sender matches the distinguishing characteristics below it will "
                                              "be marked for deletion."),
                               this));
    layout->addWidget(new QLabel(QStringLiteral("The sender's e-mail/domain address (as viewed on the main screen):"), this));
    auto *form = new QFormLayout;
    form->addRow(cbDomain, cbWhat);
    form->addRow(QString(), edit1);
    layout->addLayout(form);
    layout->addWidget(makeNote(QStringLiteral("Hint:\nAn e-mail address includes the domain.\n"
                                              "The domain is after the @ symbol.\n"
                                              "Half numeric:  ab12@example.com\nAll numeric:  1234@example.com"),
                               this));
    layout->addWidget(mark);
    auto *country = new QHBoxLayout;
    country->addWidget(btCountry);
    country->addWidget(lblCountry, 1);
    layout->addLayout(country);
    layout->addWidget(makeOkCancel(this));
    connect(cbWhat, &QComboBox::currentIndexChanged, this, [this] { cbWhatClick(); });
    connect(btCountry, &QPushButton::clicked, this, [this] { btCountryClick(); });
    cbWhatClick();
    resize(460, sizeHint().height());
}

void TfrmOptionsFROM::cbWhatClick() { edit1->setVisible(cbWhat->currentIndex() < kTextOperatorCount); }

void TfrmOptionsFROM::setFields(const SenderRuleFields &fields)
{
    cbDomain->setCurrentIndex(fields.domainName ? kDomainNameItem : 0);
    selectIndex(cbWhat, fields.op);
    edit1->setEditText(toDisplay(fields.text));
    mark->setCheckMark(fields.checkMark);
    cbWhatClick();
}

SenderRuleFields TfrmOptionsFROM::fields() const
{
    SenderRuleFields fields;
    fields.domainName = cbDomain->currentIndex() == kDomainNameItem;
    fields.op = cbWhat->currentIndex();
    fields.text = fromDisplay(edit1->currentText());
    fields.checkMark = mark->checkMark();
    return fields;
}

void TfrmOptionsFROM::setCountryButtonVisible(bool visible)
{
    btCountry->setVisible(visible);
    lblCountry->setVisible(visible);
}

void TfrmOptionsFROM::btCountryClick()
{
    TfrmInternet picker(this);
    if (picker.exec() != QDialog::Accepted)
        return;
    cbDomain->setCurrentIndex(kDomainNameItem);
    cbWhat->setCurrentIndex(kEndsWithItem);
    edit1->setEditText(toDisplay(picker.suffix()));
    lblCountry->setText(toDisplay(picker.country()));
}

void TfrmOptionsFROM::accept()
{
    const bool textShown = cbWhat->currentIndex() < kTextOperatorCount;
    if (textShown && isBlank(fromDisplay(edit1->currentText()))) {
        refuseInput(edit1, senderFieldsError(fields()));
        return;
    }
    if (!textShown)
        edit1->setEditText(QString());
    edit1->setEditText(toDisplay(trimmed(fromDisplay(edit1->currentText()))));
    QDialog::accept();
}

} // namespace tw
