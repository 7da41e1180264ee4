#include "classify/ui/optalway.h"
#include "classify/waiting_messages.h"

#include "classify/ui/dialog_parts.h"
#include "platform/bytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tw {

namespace {

constexpr int kPictureCount = 12;
constexpr int kCellSize = 26;

} // namespace

TfrmAlwaysAccept::TfrmAlwaysAccept(QWidget *parent)
    : QDialog(parent)
    , rbEmail(new QRadioButton(QStringLiteral("The explicit e-mail address is:"), this))
    , edEmail(new QLineEdit(this))
    , rbDomain(new QRadioButton(QStringLiteral("The domain name is:"), this))
    , edDomain(new QLineEdit(this))
    , rbSubject(new QRadioButton(QStringLiteral("When the"), this))
    , cbLine(new QComboBox(this))
    , cbWhat(new QComboBox(this))
    , edSubject(new QLineEdit(this))
    , cbCase(new QCheckBox(QStringLiteral("&Check if case matters (upper/lower)"), this))
    , gridImages(new QTableWidget(1, kPictureCount, this))
    , m_emailHint(new QLabel(QStringLiteral("Enter an e-mail address, for example: friend@example.com"), this))
    , m_domainHint(new QLabel(QStringLiteral("The domain is the part after the '@' symbol"), this))
{
    setObjectName(QStringLiteral("frmAlwaysAccept"));
    setWindowTitle(QStringLiteral("Accept e-mail from"));
    rbEmail->setObjectName(QStringLiteral("rbEmail"));
    edEmail->setObjectName(QStringLiteral("edEmail"));
    edEmail->setAccessibleName(QStringLiteral("Sender address to accept"));
    rbDomain->setObjectName(QStringLiteral("rbDomain"));
    edDomain->setObjectName(QStringLiteral("edDomain"));
    edDomain->setAccessibleName(QStringLiteral("Sender domain to accept"));
    rbSubject->setObjectName(QStringLiteral("rbSubject"));
    cbLine->setObjectName(QStringLiteral("cbLine"));
    cbWhat->setObjectName(QStringLiteral("cbWhat"));
    edSubject->setObjectName(QStringLiteral("edSubject"));
    edSubject->setAccessibleName(QStringLiteral("Subject words to accept"));
    cbCase->setObjectName(QStringLiteral("cbCase"));
    gridImages->setObjectName(QStringLiteral("gridImages"));
    gridImages->setAccessibleName(QStringLiteral("Picture of the exception"));
    gridImages->setAccessibleDescription(QStringLiteral("The picture the accepted messages show in the list; the arrow keys choose it."));
    for (const char *line : kExceptionLines)
        cbLine->addItem(QString::fromLatin1(line));
    cbLine->setCurrentIndex(0);
    fillOperatorList(cbWhat, kTextOperatorCount);
    fillUpGrid();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(QStringLiteral("Always accept e-mail when:"), this));
    layout->addWidget(rbEmail);
    layout->addWidget(edEmail);
    layout->addWidget(m_emailHint);
    layout->addWidget(rbDomain);
    layout->addWidget(edDomain);
    layout->addWidget(m_domainHint);
    auto *lineRow = new QHBoxLayout;
    lineRow->addWidget(rbSubject);
    lineRow->addWidget(cbLine);
    lineRow->addWidget(cbWhat);
    lineRow->addWidget(edSubject, 1);
    layout->addLayout(lineRow);
    layout->addWidget(cbCase);
    layout->addWidget(makeNote(
        QStringLiteral("Select an image to easily associate an incoming e-mail from a friend or mailing list."), this));
    layout->addWidget(gridImages);
    layout->addWidget(makeOkCancel(this));

    for (QRadioButton *button : {rbEmail, rbDomain, rbSubject})
        connect(button, &QRadioButton::clicked, this, [this] { EsLabel1Click(); });
    rbEmail->setChecked(true);
    EsLabel1Click();
    resize(560, sizeHint().height());
}

void TfrmAlwaysAccept::fillUpGrid()
{
    gridImages->horizontalHeader()->hide();
    gridImages->verticalHeader()->hide();
    gridImages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridImages->setSelectionMode(QAbstractItemView::SingleSelection);
    gridImages->setIconSize(QSize(16, 16));
    for (int column = 0; column < kPictureCount; ++column) {
        auto *item = new QTableWidgetItem(QIcon(QStringLiteral(":/pictures/B%1.png").arg(column + 3)), QString());
        item->setData(Qt::AccessibleTextRole, QString::fromStdString(markMeaning(column + 3)));
        gridImages->setItem(0, column, item);
        gridImages->setColumnWidth(column, kCellSize);
    }
    gridImages->setRowHeight(0, kCellSize);
    gridImages->setFixedSize(kCellSize * kPictureCount + 2 * gridImages->frameWidth(),
                             kCellSize + 2 * gridImages->frameWidth());
    gridImages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridImages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridImages->setCurrentCell(0, 0);
}

void TfrmAlwaysAccept::EsLabel1Click()
{
    const bool email = rbEmail->isChecked();
    const bool domain = rbDomain->isChecked();
    const bool line = rbSubject->isChecked();
    edEmail->setVisible(email);
    m_emailHint->setVisible(email);
    edDomain->setVisible(domain);
    m_domainHint->setVisible(domain);
    cbLine->setVisible(line);
    cbWhat->setVisible(line);
    edSubject->setVisible(line);
    cbCase->setVisible(line);
    (email ? edEmail : domain ? edDomain : edSubject)->setFocus();
}

void TfrmAlwaysAccept::setFields(const ExceptionRuleFields &fields)
{
    using Kind = ExceptionRuleFields::Kind;
    edEmail->setText(toDisplay(fields.email));
    edDomain->setText(toDisplay(fields.domain));
    edSubject->setText(toDisplay(fields.text));
    if (fields.kind == Kind::HeaderLine)
        cbLine->setCurrentIndex(fields.line);
    selectIndex(cbWhat, fields.op);
    cbCase->setChecked(fields.caseMatters);
    const int cell = exceptionImageCell(fields.image);
    gridImages->setCurrentCell(0, cell >= 0 && cell < kPictureCount ? cell : 0);
    (fields.kind == Kind::EmailAddress ? rbEmail : fields.kind == Kind::DomainName ? rbDomain : rbSubject)
        ->setChecked(true);
    EsLabel1Click();
}

ExceptionRuleFields TfrmAlwaysAccept::fields() const
{
    using Kind = ExceptionRuleFields::Kind;
    ExceptionRuleFields fields;
    fields.kind = rbEmail->isChecked() ? Kind::EmailAddress : rbDomain->isChecked() ? Kind::DomainName : Kind::HeaderLine;
    fields.email = fromDisplay(edEmail->text());
    fields.domain = fromDisplay(edDomain->text());
    fields.text = fromDisplay(edSubject->text());
    fields.line = cbLine->currentIndex();
    fields.op = cbWhat->currentIndex();
    fields.caseMatters = cbCase->isChecked();
    const int column = gridImages->currentColumn() < 0 ? 0 : gridImages->currentColumn();
    fields.image = exceptionImageOfCell(0, column);
    return fields;
}

void TfrmAlwaysAccept::accept()
{
    using Kind = ExceptionRuleFields::Kind;
    const ExceptionRuleFields current = fields();
    const std::string error = exceptionFieldsError(current);
    if (!error.empty()) {
        refuseInput(current.kind == Kind::EmailAddress ? edEmail : current.kind == Kind::DomainName ? edDomain : edSubject,
                    error);
        return;
    }
    QDialog::accept();
}

} // namespace tw
