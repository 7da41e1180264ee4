// TfrmGeneral: each mailbox row's protocol choice, and the line under an
// IMAP row with the folder that is checked and what becomes of marked
// messages.

#include "settings/ui/general.h"

#include "platform/bytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace tw {

void TfrmGeneral::addProtocolControls(QGridLayout *grid, int n, int gridRow, int column)
{
    const size_t i = size_t(n - 1);
    const QString number = QString::number(n);
    cmbProtocol[i] = new QComboBox;
    cmbProtocol[i]->setObjectName(QStringLiteral("cmbProtocol") + number);
    // In the order of the stored numbers 0..1.
    cmbProtocol[i]->addItems({QStringLiteral("POP3"), QStringLiteral("IMAP")});
    cmbProtocol[i]->setToolTip(QStringLiteral(
        "POP3: port 110, or 995 with TLS. Marked messages are deleted on the server.\n"
        "IMAP: port 143, or 993 with TLS. The folder under the row is checked, and marked messages are moved "
        "to the Junk folder, so that they can be moved back."));
    grid->addWidget(cmbProtocol[i], gridRow, column);

    pnlImap[i] = new QWidget;
    pnlImap[i]->setObjectName(QStringLiteral("pnlImap") + number);
    auto *line = new QHBoxLayout(pnlImap[i]);
    line->setContentsMargins(0, 0, 0, 0);
    edFolder[i] = new QLineEdit;
    edFolder[i]->setObjectName(QStringLiteral("edFolder") + number);
    edFolder[i]->setAccessibleName(QStringLiteral("Mailbox ") + number + QStringLiteral(" IMAP folder"));
    edFolder[i]->setPlaceholderText(QString::fromLatin1(kDefaultImapFolder));
    edFolder[i]->setToolTip(QStringLiteral("The IMAP folder that is checked (INBOX unless you name another)."));
    cbImapDelete[i] = new QCheckBox(QStringLiteral("Delete for good instead of moving to Junk"));
    cbImapDelete[i]->setObjectName(QStringLiteral("cbImapDelete") + number);
    line->addWidget(new QLabel(QStringLiteral("Mailbox ") + number + QStringLiteral(" IMAP folder:")));
    line->addWidget(edFolder[i], 1);
    line->addWidget(cbImapDelete[i]);
    line->addStretch(2);
    grid->addWidget(pnlImap[i], gridRow + 1, 0, 1, -1);

    connect(cmbProtocol[i], &QComboBox::currentIndexChanged, this, [this, n] {
        updateProtocolRow(n);
        updateSignInRow(n); // what the row's provider needs may differ by protocol
    });
}

void TfrmGeneral::updateProtocolRow(int n)
{
    const size_t i = size_t(n - 1);
    pnlImap[i]->setVisible(cmbProtocol[i]->currentIndex() == int(MailProtocol::IMAP));
}

void TfrmGeneral::loadProtocol(int n)
{
    const size_t i = size_t(n - 1);
    const MailboxAccount &account = m_model.servers.account(n);
    cmbProtocol[i]->setCurrentIndex(account.protocol);
    edFolder[i]->setText(toDisplay(account.folder));
    cbImapDelete[i]->setChecked(account.imapDelete);
    updateProtocolRow(n);
}

void TfrmGeneral::storeProtocol(int n)
{
    const size_t i = size_t(n - 1);
    MailboxAccount &account = m_model.servers.account(n);
    account.protocol = std::max(0, cmbProtocol[i]->currentIndex());
    // A folder left blank is the inbox; a name is kept as typed, since IMAP
    // folder names may hold blanks.
    const std::string folder = fromDisplay(edFolder[i]->text());
    account.folder = isBlank(folder) ? std::string(kDefaultImapFolder) : folder;
    account.imapDelete = cbImapDelete[i]->isChecked();
}

} // namespace tw
