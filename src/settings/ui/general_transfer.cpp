// TfrmGeneral: moving the settings between the model and the controls.

#include "settings/ui/general.h"

#include "net/tls_trust.h"
#include "net/oauth_providers.h"
#include "platform/bytes.h"
#include "platform/prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>

namespace tw {

void TfrmGeneral::fillDialUpEntries()
{
    RASComboBox->clear();
    for (const std::string &entry : m_dialUp.Entries())
        RASComboBox->addItem(toDisplay(entry));
    RASComboBox->insertItem(0, QStringLiteral("None"));
}

void TfrmGeneral::loadGeneral()
{
    const GeneralSettings &g = m_model.general;
    Edit1->setText(toDisplay(g.Logfile));
    edMail->setText(toDisplay(g.Mailer));
    edAlarm->setText(toDisplay(g.AlarmFile));
    (g.Automatic ? rbAuto : rbManual)->setChecked(true);
    cbConfirmation->setChecked(g.Ask);
    cbKill->setChecked(g.Kill);
    nMinutes->setValue(g.Minutes);
    cbLaunch->setChecked(g.Launch);
    cbExit->setChecked(g.Exit);
    cbAlarm->setChecked(g.Alarm);
    cbRepeat->setChecked(g.Repeat);
    // A stored entry beyond the list leaves the list without a selection.
    RASComboBox->setCurrentIndex(g.RAS >= 0 && g.RAS < RASComboBox->count() ? g.RAS : -1);
    edCount->setText(toDisplay(g.Count));
    cbSysTray->setChecked(g.SysTray);
    cbNotify->setChecked(g.Notify);
    nKeepDays->setValue(g.KeepDeletedDays);
    nKeepMaxMB->setValue(g.KeepDeletedMaxMB);
    nKeepMaxKB->setValue(g.KeepDeletedMaxKB);
    QRadioButton *stores[] = {rbPasswordKeyring, rbPasswordFile, rbPasswordAsk};
    stores[int(passwordStoreFromSetting(g.PasswordStore))]->setChecked(true);
    showPanels();
}

void TfrmGeneral::loadNaming()
{
    switch (m_model.naming) {
    case LogNaming::AsIs: rbAsIs->setChecked(true); break;
    case LogNaming::Month: rbMonth->setChecked(true); break;
    case LogNaming::Quarter: rbQuarter->setChecked(true); break;
    }
}

void TfrmGeneral::loadServers()
{
    selectPreferred(m_model.servers.Which);
    for (int n = 1; n <= kMailboxCount; ++n) {
        const size_t i = size_t(n - 1);
        const MailboxAccount &account = m_model.servers.account(n);
        edServe[i]->setText(toDisplay(account.server));
        edName[i]->setText(toDisplay(account.userName));
        edPass[i]->setText(toDisplay(account.password));
        cb[i]->setChecked(account.checked);
        cmbSecurity[i]->setCurrentIndex(account.security);
        showTrustedCertificate(n);
        cmbSignIn[i]->setCurrentIndex(account.signIn.method);
        loadProtocol(n);
    }
    lblSignInNote->clear();
    for (int n = kMailboxCount; n >= 1; --n)
        updateSignInRow(n, true); // the first row with something to say wins
}

void TfrmGeneral::showTrustedCertificate(int n)
{
    const std::string &fingerprint = m_model.servers.account(n).fingerprint;
    QToolButton *button = btForgetCertificate[size_t(n - 1)];
    button->setVisible(!fingerprint.empty());
    button->setToolTip(fingerprint.empty()
                           ? QString()
                           : QStringLiteral("A certificate is trusted for this mailbox although it could not be "
                                            "verified.\nSHA-256 fingerprint: %1\nForget it: the next check asks "
                                            "again.")
                                 .arg(QString::fromStdString(groupedFingerprint(fingerprint))));
}

void TfrmGeneral::forgetCertificate(int n)
{
    MailboxAccount &account = m_model.servers.account(n);
    if (account.fingerprint.empty())
        return;
    if (!Prompts::current().yesNoDefaultNo("Forget the certificate trusted for mailbox " + std::to_string(n) +
                                           " (SHA-256 fingerprint " + groupedFingerprint(account.fingerprint) +
                                           ")?  The next check of this mailbox asks about its certificate again."))
        return;
    account.fingerprint.clear();
    showTrustedCertificate(n);
}

void TfrmGeneral::selectPreferred(int which)
{
    if (which >= 1 && which <= kMailboxCount) {
        rb[size_t(which - 1)]->setChecked(true);
        return;
    }
    // No preferred mailbox: an exclusive group cannot be emptied directly.
    m_preferredGroup->setExclusive(false);
    for (QRadioButton *button : rb)
        button->setChecked(false);
    m_preferredGroup->setExclusive(true);
}

int TfrmGeneral::preferredMailbox() const
{
    const int id = m_preferredGroup->checkedId();
    return id >= 1 && id <= kMailboxCount ? id : 0;
}

void TfrmGeneral::storeControls()
{
    GeneralSettings &g = m_model.general;
    g.Logfile = fromDisplay(Edit1->text());
    g.Mailer = fromDisplay(edMail->text());
    g.AlarmFile = fromDisplay(edAlarm->text());
    g.Automatic = rbAuto->isChecked();
    g.Ask = cbConfirmation->isChecked();
    g.Kill = cbKill->isChecked();
    g.Minutes = nMinutes->value();
    g.Launch = cbLaunch->isChecked();
    g.Exit = cbExit->isChecked();
    g.Alarm = cbAlarm->isChecked();
    g.Repeat = cbRepeat->isChecked();
    g.RAS = RASComboBox->currentIndex();
    g.Count = fromDisplay(edCount->text());
    g.SysTray = cbSysTray->isChecked();
    g.Notify = cbNotify->isChecked();
    g.KeepDeletedDays = nKeepDays->value();
    g.KeepDeletedMaxMB = nKeepMaxMB->value();
    g.KeepDeletedMaxKB = nKeepMaxKB->value();
    g.PasswordStore = int(rbPasswordFile->isChecked()  ? PasswordStore::SettingsFile
                          : rbPasswordAsk->isChecked() ? PasswordStore::AskEachCheck
                                                       : PasswordStore::Keyring);
    m_model.naming = rbMonth->isChecked() ? LogNaming::Month : rbQuarter->isChecked() ? LogNaming::Quarter
                                                                                       : LogNaming::AsIs;
    m_model.servers.Which = preferredMailbox();
    for (int n = 1; n <= kMailboxCount; ++n) {
        const size_t i = size_t(n - 1);
        MailboxAccount &account = m_model.servers.account(n);
        const std::string server = fromDisplay(edServe[i]->text());
        const std::string userName = fromDisplay(edName[i]->text());
        // What was learnt of another server, and a sign-in of another
        // account, do not carry over.
        if (serverHost(server) != serverHost(account.server)) {
            account.encrypted = false;
            account.plainText = int(PlainTextAnswer::NotAsked);
            account.signIn.refreshToken.clear();
        }
        if (userName != account.userName)
            account.signIn.refreshToken.clear();
        account.server = server;
        account.userName = userName;
        account.password = fromDisplay(edPass[i]->text());
        account.checked = cb[i]->isChecked();
        account.security = std::max(0, cmbSecurity[i]->currentIndex());
        account.signIn.method = std::max(0, cmbSignIn[i]->currentIndex());
        storeProtocol(n);
    }
}

void TfrmGeneral::showPanels()
{
    pnlManual->setVisible(rbManual->isChecked());
    pnlAuto->setVisible(rbAuto->isChecked());
    pnlSound->setVisible(!cbKill->isChecked());
}

} // namespace tw
