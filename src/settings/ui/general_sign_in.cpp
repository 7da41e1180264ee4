// TfrmGeneral: each mailbox row's sign-in choice, its "Sign in..." button
// (the browser sign-in at configuration time, or the token command), and
// the line of guidance under the rows.

#include "settings/ui/general.h"

#include "net/errors.h"
#include "net/oauth2_sign_in.h"
#include "net/sign_in.h"
#include "platform/bytes.h"
#include "platform/prompts.h"
#include "settings/mailbox_secrets.h"
#include "settings/sign_in_guidance.h"
#include "settings/ui/oauth_settings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>

namespace tw {

void TfrmGeneral::addSignInControls(QGridLayout *grid, int n, int gridRow, int column)
{
    const size_t i = size_t(n - 1);
    const QString number = QString::number(n);
    cmbSignIn[i] = new QComboBox;
    cmbSignIn[i]->setObjectName(QStringLiteral("cmbSignIn") + number);
    // In the order of the stored numbers 0..2.
    cmbSignIn[i]->addItems({QStringLiteral("Password"), QStringLiteral("OAuth2 (browser)"),
                            QStringLiteral("OAuth2 (token command)")});
    cmbSignIn[i]->setToolTip(QStringLiteral(
        "Password: the password goes with the strongest method the server offers.\n"
        "OAuth2 (browser): you sign in once in your browser (\"Sign in...\"); Tidewell keeps the sign-in fresh.\n"
        "OAuth2 (token command): a command of your own prints an access token before every check."));
    btSignIn[i] = new QPushButton(QStringLiteral("Sign in..."));
    btSignIn[i]->setObjectName(QStringLiteral("btSignIn") + number);
    // Only a browser sign-in has endpoints and a client id to set.
    btOAuthSettings[i] = new QPushButton(QStringLiteral("OAuth2 settings..."));
    btOAuthSettings[i]->setObjectName(QStringLiteral("btOAuthSettings") + number);
    btOAuthSettings[i]->setToolTip(
        QStringLiteral("Client id, authorization URL, token URL and scope of this mailbox's browser sign-in."));
    auto *buttons = new QWidget;
    auto *line = new QHBoxLayout(buttons);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(btSignIn[i]);
    line->addWidget(btOAuthSettings[i]);
    grid->addWidget(cmbSignIn[i], gridRow, column);
    grid->addWidget(buttons, gridRow, column + 1);
    connect(cmbSignIn[i], &QComboBox::currentIndexChanged, this, [this, n] { updateSignInRow(n); });
    connect(edServe[i], &QLineEdit::textEdited, this, [this, n] { updateSignInRow(n); });
    connect(btSignIn[i], &QPushButton::clicked, this, [this, n] { btSignInClick(n); });
    connect(btOAuthSettings[i], &QPushButton::clicked, this, [this, n] { btOAuthSettingsClick(n); });
}

void TfrmGeneral::btOAuthSettingsClick(int n)
{
    const size_t i = size_t(n - 1);
    MailboxSignIn &own = m_model.servers.account(n).signIn;
    TfrmOAuthSettings dialog(n, fromDisplay(edServe[i]->text()),
                             cmbProtocol[i]->currentIndex() == int(MailProtocol::IMAP),
                             {own.authorizeUrl, own.tokenUrl, own.scope, own.clientId}, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Kept in the model with the row's other values; OK saves them.
    const TOAuthOverrides values = dialog.values();
    own.authorizeUrl = values.authorizeUrl;
    own.tokenUrl = values.tokenUrl;
    own.scope = values.scope;
    own.clientId = values.clientId;
    updateSignInRow(n);
}

void TfrmGeneral::updateSignInRow(int n, bool onlyWhenSaid)
{
    const size_t i = size_t(n - 1);
    const TSignInMethod method = signInMethodFromSetting(cmbSignIn[i]->currentIndex());
    btSignIn[i]->setEnabled(method != TSignInMethod::Password);
    btOAuthSettings[i]->setVisible(method == TSignInMethod::OAuthBrowser);
    MailboxSignIn signIn = m_model.servers.account(n).signIn;
    signIn.method = int(method);
    const std::string guidance =
        signInGuidance(n, fromDisplay(edServe[i]->text()), signIn, std::max(0, cmbProtocol[i]->currentIndex()));
    if (!guidance.empty() || !onlyWhenSaid)
        lblSignInNote->setText(toDisplay(guidance));
}

void TfrmGeneral::btSignInClick(int n)
{
    const size_t i = size_t(n - 1);
    MailboxAccount &account = m_model.servers.account(n);
    Prompts &prompts = Prompts::current();
    if (signInMethodFromSetting(cmbSignIn[i]->currentIndex()) == TSignInMethod::OAuthCommand) {
        std::string command = account.signIn.tokenCommand;
        if (prompts.inputText("Token command", "Mailbox " + std::to_string(n) +
                                                   ": the command that prints an access token (it runs with "
                                                   "/bin/sh -c before every check):",
                              command))
            account.signIn.tokenCommand = trimmed(command);
        updateSignInRow(n);
        return;
    }

    TOAuth2SignIn signIn;
    const std::string server = fromDisplay(edServe[i]->text());
    const MailboxSignIn &own = account.signIn;
    const bool imap = cmbProtocol[i]->currentIndex() == int(MailProtocol::IMAP);
    signIn.Endpoints = oauthEndpoints(server, {own.authorizeUrl, own.tokenUrl, own.scope, own.clientId}, imap);
    signIn.ExpectedAccount = fromDisplay(edName[i]->text());
    QProgressDialog waiting(QStringLiteral("Waiting for the sign-in in your browser..."), QStringLiteral("Cancel"), 0,
                            0, this);
    waiting.setObjectName(QStringLiteral("dlgSignInWaiting"));
    waiting.setWindowModality(Qt::WindowModal);
    waiting.setMinimumDuration(0);
    waiting.show();
    signIn.Canceled = [&waiting] { return waiting.wasCanceled(); };
    try {
        signIn.signInWithBrowser();
    } catch (const ECanceledError &) {
        return;
    } catch (const std::exception &error) {
        waiting.close();
        prompts.error("The sign-in for mailbox " + std::to_string(n) + " did not succeed: " + error.what());
        return;
    }
    waiting.close();
    // The sign-in belongs to the account as the row shows it now.
    account.server = server;
    account.userName = fromDisplay(edName[i]->text());
    account.signIn.refreshToken = signIn.RefreshToken;
    try {
        const MailboxIdentity who{account.userName, account.server};
        m_model.secrets.saveWithUser(
            [&] { m_model.secrets.save(n, who, who, MailboxSecret::RefreshToken, signIn.RefreshToken); });
    } catch (const EKeyringError &error) {
        prompts.error("The sign-in of mailbox " + std::to_string(n) +
                      " could not be kept in the desktop keyring: " + std::string(error.what()));
        return;
    } catch (const std::exception &error) {
        prompts.error(error.what());
        return;
    }
    if (signIn.RefreshToken.empty())
        prompts.warning("Mailbox " + std::to_string(n) +
                        " is signed in, but the provider gave no lasting sign-in: once this one ends, a check "
                        "asks for the browser again.");
    else
        prompts.information("Mailbox " + std::to_string(n) + " is signed in.");
}

} // namespace tw
