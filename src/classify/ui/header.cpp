#include "classify/ui/header.h"

#include "classify/ui/dialog_parts.h"
#include "classify/ui/internt.h"
#include "platform/bytes.h"
#include "platform/ui/plain_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {

namespace {

const char *const kHeaderSuggestions[] = {
    "X-1", "X-Advertisement", "X-Authentication-Warning", "X-BulkEmail", "X-Distribution: Bulk",
    "X-Distribution: Mass", "X-Distribution: Moderate", "X-Mailer: Emailer Platinum", "X-Mailer: Extractor",
    "X-Mailer: eMarksman", "X-Mailer: Floodgate", "X-Mailer: Group Mail", "X-Mailer: Millennium Mailer",
    "X-Removal", "X-Sender: News Breaker"};

constexpr int kEndsWithItem = 4;

} // namespace

TfrmHeaders::TfrmHeaders(const std::vector<std::string> &mailboxLines, QWidget *parent)
    : QDialog(parent)
    , rbReplyTomatch(new QRadioButton(QStringLiteral("The Sender address does not match the 'Reply-to' address"), this))
    , rbFromEqualsTo(new QRadioButton(QStringLiteral("The Sender address equals the 'To' address field"), this))
    , rbTo(new QRadioButton(QStringLiteral("The 'To' address does not contain:"), this))
    , rbHeader(new QRadioButton(QStringLiteral("Message Header"), this))
    , edTo(new QLineEdit(this))
    , lblMailBox(new QLabel(QStringLiteral("For Mailbox:"), this))
    , cbMailBox(new QComboBox(this))
    , cbWhat(new QComboBox(this))
    , cbHeader(new QComboBox(this))
    , cbCase(new QCheckBox(QStringLiteral("&Check if case matters (upper/lower)"), this))
    , lblCountry(plainLabel(new QLabel(this)))
    , mark(new MarkChoice(this))
    , btCountry(new QPushButton(QStringLiteral("Block out a country"), this))
{
    setObjectName(QStringLiteral("frmHeaders"));
    setWindowTitle(QStringLiteral("Header characteristics"));
    rbReplyTomatch->setObjectName(QStringLiteral("rbReplyTomatch"));
    rbFromEqualsTo->setObjectName(QStringLiteral("rbFromEqualsTo"));
    rbTo->setObjectName(QStringLiteral("rbTo"));
    rbHeader->setObjectName(QStringLiteral("rbHeader"));
    edTo->setObjectName(QStringLiteral("edTo"));
    edTo->setAccessibleName(QStringLiteral("Address the rule is about"));
    cbMailBox->setObjectName(QStringLiteral("cbMailBox"));
    cbWhat->setObjectName(QStringLiteral("cbWhat"));
    cbHeader->setObjectName(QStringLiteral("cbHeader"));
    cbCase->setObjectName(QStringLiteral("cbCase"));
    lblCountry->setObjectName(QStringLiteral("lblCountry"));
    btCountry->setObjectName(QStringLiteral("btCountry"));

    for (const std::string &line : mailboxLines)
        cbMailBox->addItem(toDisplay(line));
    cbMailBox->setCurrentIndex(cbMailBox->count() > 0 ? 0 : -1);
    fillOperatorList(cbWhat, kTextOperatorCount);
    cbHeader->setEditable(true);
    cbHeader->setInsertPolicy(QComboBox::NoInsert);
    for (const char *suggestion : kHeaderSuggestions)
        cbHeader->addItem(QString::fromLatin1(suggestion));
    cbHeader->setCurrentIndex(0);
    rbHeader->setChecked(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(QStringLiteral("The E-mail header characteristics"), this));
    layout->addWidget(makeNote(QStringLiteral("If text in the e-mail header line follows any of these patterns it "
                                              "will be marked for deletion since it looks like a potential spam."),
                               this));
    layout->addWidget(rbReplyTomatch);
    layout->addWidget(rbFromEqualsTo);
    layout->addWidget(rbTo);
    auto *toRow = new QHBoxLayout;
    toRow->addSpacing(20);
    toRow->addWidget(edTo, 1);
    toRow->addWidget(lblMailBox);
    toRow->addWidget(cbMailBox, 1);
    layout->addLayout(toRow);
    layout->addWidget(rbHeader);
    auto *headerRow = new QGridLayout;
    headerRow->setColumnMinimumWidth(0, 20);
    headerRow->addWidget(cbWhat, 0, 1);
    headerRow->addWidget(cbHeader, 0, 2);
    headerRow->addWidget(cbCase, 1, 1, 1, 2);
    headerRow->addWidget(lblCountry, 2, 1, 1, 2);
    headerRow->setColumnStretch(2, 1);
    layout->addLayout(headerRow);
    layout->addWidget(mark);
    layout->addWidget(btCountry, 0, Qt::AlignLeft);
    layout->addWidget(makeOkCancel(this));

    for (QRadioButton *button : {rbReplyTomatch, rbFromEqualsTo, rbTo, rbHeader})
        connect(button, &QRadioButton::toggled, this, [this] { rbReplyTomatchClick(); });
    connect(btCountry, &QPushButton::clicked, this, [this] { btCountryClick(); });
    rbReplyTomatchClick();
    resize(520, sizeHint().height());
}

void TfrmHeaders::rbReplyTomatchClick()
{
    const bool header = rbHeader->isChecked();
    const bool to = rbTo->isChecked();
    cbWhat->setVisible(header);
    cbHeader->setVisible(header);
    cbCase->setVisible(header);
    lblCountry->setVisible(header);
    edTo->setVisible(to);
    cbMailBox->setVisible(to);
    lblMailBox->setVisible(to);
}

void TfrmHeaders::setFields(const HeaderRuleFields &fields)
{
    using Kind = HeaderRuleFields::Kind;
    selectIndex(cbWhat, fields.op);
    cbHeader->setEditText(toDisplay(fields.headerText));
    cbCase->setChecked(fields.caseMatters);
    mark->setCheckMark(fields.checkMark);
    edTo->setText(toDisplay(fields.toAddress));
    if (fields.kind == Kind::ToLacks)
        for (int i = 0; i < cbMailBox->count(); ++i)
            if (mailboxNumberOfLine(fromDisplay(cbMailBox->itemText(i))) == fields.mailbox)
                cbMailBox->setCurrentIndex(i);
    QRadioButton *chosen = fields.kind == Kind::ReplyToMismatch ? rbReplyTomatch
                           : fields.kind == Kind::FromEqualsTo  ? rbFromEqualsTo
                           : fields.kind == Kind::ToLacks       ? rbTo
                                                                : rbHeader;
    chosen->setChecked(true);
    rbReplyTomatchClick();
}

HeaderRuleFields TfrmHeaders::fields() const
{
    using Kind = HeaderRuleFields::Kind;
    HeaderRuleFields fields;
    fields.kind = rbReplyTomatch->isChecked()   ? Kind::ReplyToMismatch
                  : rbFromEqualsTo->isChecked() ? Kind::FromEqualsTo
                  : rbTo->isChecked()           ? Kind::ToLacks
                                                : Kind::MessageHeader;
    fields.op = cbWhat->currentIndex();
    fields.headerText = fromDisplay(cbHeader->currentText());
    fields.caseMatters = cbCase->isChecked();
    fields.checkMark = mark->checkMark();
    fields.toAddress = fromDisplay(edTo->text());
    fields.mailbox = mailboxNumberOfLine(fromDisplay(cbMailBox->currentText()));
    return fields;
}

void TfrmHeaders::setCountryButtonVisible(bool visible) { btCountry->setVisible(visible); }

void TfrmHeaders::btCountryClick()
{
    TfrmInternet picker(this);
    if (picker.exec() != QDialog::Accepted)
        return;
    rbHeader->setChecked(true);
    cbWhat->setCurrentIndex(kEndsWithItem);
    cbHeader->setEditText(toDisplay(picker.suffix()));
    cbCase->setChecked(false);
    lblCountry->setText(toDisplay(picker.country()));
    rbReplyTomatchClick();
}

void TfrmHeaders::accept()
{
    const HeaderRuleFields current = fields();
    const std::string error = headerFieldsError(current);
    if (!error.empty()) {
        refuseInput(current.kind == HeaderRuleFields::Kind::ToLacks ? static_cast<QWidget *>(edTo) : cbHeader, error);
        return;
    }
    QDialog::accept();
}

} // namespace tw
