// TfrmMain: the message list's right-button menu and the commands that turn
// selected messages into rules (the inspection commands are in inspection.cpp).

#include "app/rmmain.h"

#include "classify/list_command_rules.h"
#include "classify/ui/qDelete.h"
#include "platform/prompts.h"

#include <QAction>
#include <QMenu>

namespace tw {

void TfrmMain::buildPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto add = [this](const char *name, const char *caption, void (TfrmMain::*command)()) {
        QAction *action = PopupMenu1->addAction(QString::fromLatin1(caption), this, command);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    Why1 = add("Why1", "Why was this e-mail marked?", &TfrmMain::Why1Click);
    PopupMenu1->addSeparator();
    NotJunk1 = add("NotJunk1", "Not junk", &TfrmMain::NotJunk1Click);
    Junk1 = add("Junk1", "Junk", &TfrmMain::Junk1Click);
    PopupMenu1->addSeparator();
    Addselectedsendersdomaintospamlist1 =
        add("Addselectedsendersdomaintospamlist1", "Add selected sender(s) domain to spam list",
            &TfrmMain::Addselectedsendersdomaintospamlist1Click);
    AddtoSPAMlist1 = add("AddtoSPAMlist1", "Add selected message(s) to spam list", &TfrmMain::AddtoSPAMlist1Click);
    PopupMenu1->addSeparator();
    AddtoExceptions1 =
        add("AddtoExceptions1", "Add selected sender(s) to exceptions list", &TfrmMain::AddtoExceptions1Click);
    PopupMenu1->addSeparator();
    ViewHeader1 = add("ViewHeader1", "View selected message(s) headers", &TfrmMain::ViewHeader1Click);
    ViewMessages1 = add("ViewMessages1", "View body of one message", &TfrmMain::ViewMessages1Click);
    PopupMenu1->addSeparator();
    DeletedMail1 = add("DeletedMail1", "Deleted mail", &TfrmMain::DeletedMail1Click);

    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); });
}

std::vector<int> TfrmMain::selectedRows()
{
    readSelection();
    std::vector<int> rows;
    for (int i = 0; i < messages.count(); ++i)
        if (messages.row(i).selected)
            rows.push_back(i);
    return rows;
}

void TfrmMain::saveRulesAndRemark()
{
    try {
        m_spam.Savesettings();
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
    btRemarkClick();
}

void TfrmMain::AddtoSPAMlist1Click()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        NadaSelected();
        return;
    }
    {
        std::vector<std::pair<std::string, std::string>> selected;
        for (int row : rows)
            selected.emplace_back(messages.row(row).subject, messages.row(row).senderAddress);
        TfrmMarkForDeletion dialog(m_spam.rules, [this] { m_spam.Savesettings(); }, this);
        dialog.setObjectName(QStringLiteral("frmMarkForDeletion"));
        dialog.setMessages(selected);
        dialog.exec();
    }
    btRemarkClick();
}

void TfrmMain::Addselectedsendersdomaintospamlist1Click()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        NadaSelected();
        return;
    }
    for (int row : rows)
        appendSenderDomainRule(m_spam.rules.sender, messages.row(row).senderAddress);
    saveRulesAndRemark();
}

void TfrmMain::AddtoExceptions1Click()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        NadaSelected();
        return;
    }
    for (int row : rows)
        appendSenderException(m_spam.rules.exceptions, messages.row(row).senderAddress);
    saveRulesAndRemark();
}

} // namespace tw
