// TfrmGeneral: "Add from address": a mailbox row filled from what discovery
// found for an e-mail address, once the user has confirmed it.

#include "settings/ui/general.h"

#include "net/oauth_providers.h"
#include "net/sign_in.h"
#include "platform/bytes.h"
#include "platform/prompts.h"
#include "settings/sign_in_guidance.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace tw {

void TfrmGeneral::addFromAddressClick()
{
    int empty = 0;
    for (int n = kMailboxCount; n >= 1; --n)
        if (edServe[size_t(n - 1)]->text().isEmpty() && edName[size_t(n - 1)]->text().isEmpty())
            empty = n;
    if (empty == 0) {
        Prompts::current().information("All twelve mailbox rows are in use.  Clear the server and user name of a "
                                       "row you no longer need, then add the new mailbox.");
        return;
    }
    TfrmAddFromAddress dialog(this, discoverMailbox);
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return;
    PageControl1->setCurrentIndex(Mailboxes);
    fillFromDiscovery(empty, *dialog.chosen());
}

void TfrmGeneral::execAddingFromAddress()
{
    QTimer::singleShot(0, this, [this] {
        PageControl1->setCurrentIndex(Mailboxes);
        addFromAddressClick();
    });
    exec();
}

void TfrmGeneral::fillFromDiscovery(int n, const TDiscoveredServer &server)
{
    const size_t i = size_t(n - 1);
    const bool imap = server.protocol == TMailProtocol::IMAP;
    edServe[i]->setText(toDisplay(server.serverSetting()));
    edName[i]->setText(toDisplay(server.userName));
    cmbProtocol[i]->setCurrentIndex(int(server.protocol));
    cmbSecurity[i]->setCurrentIndex(int(server.security));
    // A browser sign-in only where this build, or the mailbox, has what it
    // needs; otherwise the password, with the provider's word on which one.
    const MailboxSignIn &own = m_model.servers.account(n).signIn;
    const std::string browserLacks =
        server.signIn != TDiscoveredSignIn::OAuth2
            ? std::string()
            : oauthMissingAdvice(oauthEndpoints(server.serverSetting(),
                                                {own.authorizeUrl, own.tokenUrl, own.scope, own.clientId}, imap));
    const bool browser = server.signIn == TDiscoveredSignIn::OAuth2 && browserLacks.empty();
    cmbSignIn[i]->setCurrentIndex(int(browser ? TSignInMethod::OAuthBrowser : TSignInMethod::Password));
    cb[i]->setChecked(true);
    // The first mailbox of a new installation is the one checked.
    const int preferred = preferredMailbox();
    if (preferred == 0 || edServe[size_t(preferred - 1)]->text().isEmpty())
        selectPreferred(n);
    updateSignInRow(n);
    // What the provider asks first, and what a browser sign-in would still need.
    const std::string said = trimmed(server.signInGuidance + " " + browserLacks);
    if (!said.empty())
        lblSignInNote->setText(toDisplay("Mailbox " + std::to_string(n) + ": " + said));
    (browser ? static_cast<QWidget *>(btSignIn[i]) : edPass[i])->setFocus();
}

} // namespace tw
