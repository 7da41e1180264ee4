// TfrmGeneral: creation, showing, OK and Cancel.

#include "settings/ui/general.h"

#include "platform/autostart.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/store_error.h"
#include "settings/desktop_mail.h"
#include "settings/first_run_rule.h"
#include "settings/log_naming.h"
#include "settings/other_mail_programs.h"
#include "settings/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QTabWidget>

namespace tw {
namespace {

constexpr const char *kOverDeleteWarning =
    "Just a warning that you selected to automatically delete marked messages without confirmation.  It is "
    "possible to OVER delete by using this setting.";
constexpr const char *kRestartNote = "Exit and restart for the Start Up changes to take effect.";
constexpr const char *kAtSignWarning =
    "At least one of your mailboxes contains an \"@\" symbol which should NOT be specified.  For example, if "
    "your e-mail address is jsmith@provider.net, specify jsmith as your User Name/Mailbox and not "
    "jsmith@provider.net.";

} // namespace

TfrmGeneral::TfrmGeneral(GeneralSettingsModel &model, SpamSettingsModel &spam, TagRas &dialUp,
                         GeneralWindowCommands commands, QWidget *parent)
    : QDialog(parent), m_model(model), m_spam(spam), m_dialUp(dialUp), m_commands(std::move(commands))
{
    buildControls();
    connectCommands();
    ColorEdits();

    m_model.readGeneral();
    fillDialUpEntries();
    loadGeneral();
    const int ras = m_model.general.RAS;
    if (ras > 0 && ras <= int(m_dialUp.Entries().size())) {
        try {
            m_dialUp.setService(m_dialUp.Entries()[size_t(ras - 1)]);
        } catch (const std::exception &) {
            // The link keeps its previous entry; the choice is still shown.
        }
    }
    PageControl1->setCurrentIndex(Mailboxes);
    m_model.readServers();
    loadNaming();
    loadServers();
    m_firstRun = m_model.servers.account(1).server.empty() && m_model.servers.account(1).userName.empty();
}

TfrmGeneral::~TfrmGeneral()
{
    try {
        m_model.saveGeneral();
    } catch (const std::exception &) {
        // The program is ending; there is nobody left to tell.
    }
}

void TfrmGeneral::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        if (const QScreen *screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfrmGeneral::FormShow()
{
    m_model.readServers();
    m_model.naming = readLogNaming();
    loadNaming();
    loadServers();
    loadGeneral();

    if (edServe[0]->text().isEmpty())
        takeOtherMailProgramMailbox();
    takeDefaults();

    m_killWhenShown = cbKill->isChecked();
    m_sysTrayWhenShown = cbSysTray->isChecked();
    m_startAtLoginWhenShown = startsAtLogin();
    cbStartAtLogin->setChecked(m_startAtLoginWhenShown);
    showPanels();

    const LogNaming naming = m_model.naming;
    Edit1->setText(toDisplay(applyLogNaming(fromDisplay(Edit1->text()), naming, Clock::now())));
    focusFirstEmptyMailboxField();
}

void TfrmGeneral::focusFirstEmptyMailboxField()
{
    // Typing goes where mailbox 1 still needs something, else to its server.
    QLineEdit *field = edServe[0];
    for (QLineEdit *candidate : {edServe[0], edName[0], edPass[0]}) {
        if (candidate->text().isEmpty()) {
            field = candidate;
            break;
        }
    }
    PageControl1->setCurrentIndex(Mailboxes);
    field->setFocus(Qt::OtherFocusReason);
}

void TfrmGeneral::addFirstRunRuleOnce()
{
    // Only a saved, non-blank user name makes a useful rule: with an empty
    // address the rule would condemn every message that has a To header.
    const std::string userName = m_model.servers.account(1).userName;
    if (!m_firstRun || isBlank(userName))
        return;
    m_firstRun = false;
    try {
        AddMyselfFromPopToHeader(m_spam, userName);
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
        return;
    }
    Prompts::current().information(firstRunRuleNote(userName));
}

void TfrmGeneral::takeOtherMailProgramMailbox()
{
    const Registry registry;
    const DetectedMailbox candidates[] = {CheckWin98(registry), CheckEudora(registry), CheckNetscape(registry)};
    for (const DetectedMailbox &found : candidates) {
        if (!edServe[0]->text().isEmpty())
            return;
        if (!found.server.empty())
            edServe[0]->setText(toDisplay(found.server));
        if (!found.userName.empty())
            edName[0]->setText(toDisplay(found.userName));
    }
    if (!edServe[0]->text().isEmpty())
        return;
    const DetectedMailbox thunderbird = thunderbirdMailbox(QDir::homePath().toStdString());
    if (thunderbird.server.empty())
        return;
    edServe[0]->setText(toDisplay(thunderbird.server));
    if (edName[0]->text().isEmpty())
        edName[0]->setText(toDisplay(thunderbird.userName));
}

void TfrmGeneral::takeDefaults()
{
    if (edMail->text().isEmpty()) {
        std::string mailer = GetMailPath(Registry());
        if (mailer.empty())
            mailer = desktopMailProgram(DesktopFolders::current());
        edMail->setText(toDisplay(mailer));
        // A new user without a mail program has nothing to launch after deleting.
        if (mailer.empty() && m_firstRun)
            cbLaunch->setChecked(false);
    }
    if (edAlarm->text().isEmpty())
        edAlarm->setText(toDisplay(programFile("harptune.wav")));
    if (Edit1->text().isEmpty())
        Edit1->setText(toDisplay(programFile("logfile.txt")));
}

bool TfrmGeneral::createLogFolder()
{
    if (prepareLogFolder(fromDisplay(Edit1->text())))
        return true;
    Prompts::current().error("Unable to create directory");
    PageControl1->setCurrentIndex(ActivityLog);
    Edit1->setFocus();
    return false;
}

bool TfrmGeneral::applyStartAtLogin()
{
    // Only a change of the box touches the entry: one written or removed with
    // the desktop's own tools meanwhile is left as it is.
    const bool wanted = cbStartAtLogin->isChecked();
    if (wanted == m_startAtLoginWhenShown)
        return true;
    try {
        setStartAtLogin(wanted, QCoreApplication::applicationFilePath().toStdString());
    } catch (const EStoreError &error) {
        Prompts::current().error(error.what());
        PageControl1->setCurrentIndex(StartUp);
        cbStartAtLogin->setChecked(startsAtLogin());
        cbStartAtLogin->setFocus();
        return false;
    }
    m_startAtLoginWhenShown = wanted;
    return true;
}

void TfrmGeneral::focusMailboxField(QLineEdit *field)
{
    PageControl1->setCurrentIndex(Mailboxes);
    if (auto *scroll = findChild<QScrollArea *>())
        scroll->ensureWidgetVisible(field);
    field->setFocus();
}

void TfrmGeneral::btOKClick()
{
    // Without a folder for the log nothing is saved; the window stays open
    // so that the user's changes are not lost.
    if (!createLogFolder() || !applyStartAtLogin())
        return;
    storeControls();
    Prompts &prompts = Prompts::current();
    if (cbKill->isChecked() && !m_killWhenShown && rbAuto->isChecked())
        prompts.warning(kOverDeleteWarning);
    if (cbSysTray->isChecked() != m_sysTrayWhenShown)
        prompts.information(kRestartNote);
    if (!m_model.CheckUserMailboxes())
        prompts.warning(kAtSignWarning);
    if (m_model.CheckForAOL())
        prompts.warning(kWebMailNote);

    std::optional<MailboxProblem> problem;
    try {
        m_model.saveGeneral();
        m_model.secrets.saveWithUser([this, &problem] { problem = m_model.saveServers(); });
    } catch (const EKeyringError &error) {
        prompts.error(std::string("The passwords could not be kept in the desktop keyring: ") + error.what());
        return;
    } catch (const std::exception &error) {
        prompts.error(error.what());
        return;
    }
    if (const std::string left = m_model.secrets.takeLeftInKeyring(); !left.empty())
        prompts.warning("Some entries of Tidewell could not be removed from the desktop keyring (" + left +
                        "). Its own tool can remove them: they are under \"Tidewell\".");
    if (problem) {
        prompts.error(problem->text);
        const size_t i = size_t(problem->mailbox - 1);
        QLineEdit *field = problem->field == MailboxProblem::Field::UserName ? edName[i]
                           : problem->field == MailboxProblem::Field::Server ? edServe[i]
                                                                             : edPass[i];
        focusMailboxField(field);
        return;
    }
    m_killWhenShown = cbKill->isChecked();
    m_sysTrayWhenShown = cbSysTray->isChecked();
    addFirstRunRuleOnce();
    accept();
}

void TfrmGeneral::reject()
{
    m_model.readGeneral();
    m_model.readServers();
    loadGeneral();
    loadNaming();
    loadServers();
    QDialog::reject();
}

} // namespace tw
