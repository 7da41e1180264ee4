#include "app/which.h"

#include "platform/bytes.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

TfrmWhichMailbox::TfrmWhichMailbox(const std::vector<MailboxChoice> &mailboxes, int preselect, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmWhichMailbox"));
    setWindowTitle(QStringLiteral("Which Mail Box?"));
    auto *question = new QLabel(QStringLiteral("Which mailbox do you wish to check?"), this);
    cbMailbox = new QComboBox(this);
    cbMailbox->setObjectName(QStringLiteral("cbMailbox"));
    cbMailbox->setMinimumWidth(360);
    for (const MailboxChoice &m : mailboxes) {
        const std::string entry = std::to_string(m.number) + ") Mailbox " + m.userName + " - Server " + m.server;
        cbMailbox->addItem(toDisplay(entry));
        if (m.number == preselect)
            cbMailbox->setCurrentIndex(cbMailbox->count() - 1);
    }
    if (std::none_of(mailboxes.begin(), mailboxes.end(), [&](const MailboxChoice &m) { return m.number == preselect; }))
        cbMailbox->setCurrentIndex(-1);

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    connect(btOK, &QPushButton::clicked, this, &TfrmWhichMailbox::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(cbMailbox);
    layout->addLayout(buttons);
}

void TfrmWhichMailbox::btOKClick()
{
    if (cbMailbox->currentIndex() < 0) {
        Prompts::current().error("Mailbox not selected.");
        return;
    }
    const std::string entry = fromDisplay(cbMailbox->currentText());
    m_chosen = toIntDef(entry.substr(0, entry.find(')')), 0);
    accept();
}

int askWhichMailbox(const std::vector<MailboxChoice> &mailboxes, int preselect, QWidget *parent)
{
    TfrmWhichMailbox dialog(mailboxes, preselect, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenMailbox() : 0;
}

} // namespace tw
