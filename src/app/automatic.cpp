// Automatic mode: the timer pool's minute and splash triggers, the captions
// that count down to the next check, the tray's automatic switch, the alarm
// sound and the launch of the user's mail program.

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "app/splash.h"
#include "platform/bytes.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "settings/dns_setting.h"
#include "settings/settings_store.h"

#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace tw {

static std::string minutesText(int minutes)
{
    return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

void TfrmMain::UpdateAutomaticCaptions(bool automatic, int minutes)
{
    std::string caption = "Tidewell";
    TimerPool1.setActive(minuteTrigger, automatic);
    if (automatic)
        caption += " - next e-mail check in " + minutesText(minutes);
    setCaption(caption);
    acTrayEnable->setChecked(automatic);
    acTrayDisable->setChecked(!automatic);
    UpdateTrayIcons(automatic);
}

void TfrmMain::UpdateTrayIcons(bool automatic)
{
    trayIcon->setState(automatic ? TTrayIcon::State::Animated : TTrayIcon::State::Normal);
}

void TfrmMain::TimerPoolAllTriggers(TimerPool::Handle handle)
{
    if (handle == minuteTrigger)
        tmCheckForMailTimer();
    else if (handle == splashTrigger)
        timSplashTimer();
}

void TfrmMain::timSplashTimer()
{
    if (m_splash) {
        m_splash->hide();
        m_splash->deleteLater();
        m_splash = nullptr;
    }
    TimerPool1.setActive(splashTrigger, false);
}

void TfrmMain::tmCheckForMailTimer()
{
    // A tick delivered inside a network wait of a running check, deletion or
    // pass must not start a second run on the same POP3 client.
    if (passRunning || runInProgress())
        return;
    --minutesLeft;
    UpdateAutomaticCaptions(m_general.general.Automatic, m_general.general.Minutes);
    automaticRun = true;
    CheckAllMailBoxes();
    automaticRun = false;
    lblTitle->setText(windowTitle());
    trayIcon->setHint(fromDisplay(windowTitle()));
    TimerPool1.setActive(minuteTrigger, true);
}

void TfrmMain::playAlarmSound(bool start)
{
    if (!start) {
        Sound::current().stop();
        return;
    }
    playAlarmFile(m_general.general.Repeat);
}

void TfrmMain::playAlarmOnce() { playAlarmFile(false); }

void TfrmMain::playAlarmFile(bool loop)
{
    const std::string file = m_general.general.AlarmFile.substr(0, 200);
    if (!file.empty() && QFileInfo::exists(QString::fromLocal8Bit(file.c_str())))
        Sound::current().play(file, loop);
    else
        Sound::current().beep();
}

void TfrmMain::btLaunchClick()
{
    TimerPool1.setActive(minuteTrigger, false);
    playAlarmSound(false);
    if (isBlank(m_general.general.Mailer)) {
        Prompts::current().error("Mail program not specified in the general settings. ");
        afterDialog();
        return;
    }
    if (startMailProgram()) {
        disableAllButtons();
        messages.clear();
        ListView1->showAll();
        mailClient().Cancel();
        enableAllButtons();
        setRunningState(false);
    }
    afterDialog();
}

bool TfrmMain::startMailProgram()
{
    const std::string program = m_general.general.Mailer;
    std::vector<std::string> arguments;
    const std::string lower = lowerCase(program);
    if ((lower.find("netscape") != std::string::npos || lower.find("netscp6") != std::string::npos) &&
        lower.find("-mail") == std::string::npos)
        arguments.push_back("-mail");
    if (Shell::current().startProgram(program, arguments))
        return true;
    Prompts::current().error("Unable to launch mail program. ");
    return false;
}

void TfrmMain::EnableAutomatic1Click(bool enable)
{
    try {
        saveAutomatic(enable);
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
    if (!enable)
        minutesLeft = m_general.general.Minutes;
    m_general.general.Automatic = enable;
    UpdateAutomaticCaptions(enable, m_general.general.Minutes);
    activityLog.setPath(m_general.general.Logfile);
    activityLog.logAutomaticMode(enable);
}

void TfrmMain::popTrayPopup() { playAlarmSound(false); }

void TfrmMain::ListView1Click() { playAlarmSound(false); }

void TfrmMain::ListView1KeyUp() { playAlarmSound(false); }

void TfrmMain::LaunchEmailprogram1Click() { btLaunchClick(); }

void TfrmMain::ShowMainScreen1Click() { trayIcon->showProgram(); }

void TfrmMain::Show1Click()
{
    trayIcon->showProgram();
    automaticRun = false;
    btListClick();
    afterDialog();
}

void TfrmMain::CleanUpEMLFiles()
{
    // Every downloaded message, whatever its number: each holds a whole
    // message. A link found under such a name is removed, not followed.
    const QDir folder(QString::fromStdString(msRemotePOP1.MessageDirectory()));
    const QStringList names = folder.entryList({QStringLiteral("msg_*.eml")}, QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : names)
        QFile::remove(folder.filePath(name));
}

void TfrmMain::FormCreate(TfrmSplash *splash, TfrmRetrieving *progress)
{
    m_splash = splash;
    m_progress = progress;
    if (m_progress) {
        m_progress->ServerAndMailbox = [this] {
            return std::make_pair(mailClient().Server, mailClient().UserName);
        };
        m_progress->OnCancelClick = [this] { cancelRun(); };
    }
    // 1.
    msRemotePOP1.SetMessageDirectory(programFolder());
    QDir::setCurrent(QString::fromStdString(programFolder()));
    // 3. The general settings model has been read by its owner already.
    startInTray = m_general.general.SysTray;
    minutesLeft = m_general.general.Minutes;
    currentMailbox = m_general.servers.Which;
    // 4.
    minuteTrigger = TimerPool1.add(60000);
    splashTrigger = TimerPool1.add(1500);
    TimerPool1.setActive(splashTrigger, false);
    const DnsServer dns = configuredDnsServer();
    MXResolver.DNSAddress = dns.address;
    MXResolver.Port = dns.port;
    MXQueries.DNSAddress = dns.address;
    MXQueries.Port = dns.port;
    // 5.
    msRemotePOP1.RAS = m_general.general.RAS > 0 ? &agRas1 : nullptr;
    msRemoteIMAP1.RAS = msRemotePOP1.RAS;
    automaticRun = false;
    // 8.-9.
    if (!startInTray)
        trayIcon->remove();
    checkInProgress = false;
    activityLog.CloseLogFile();
    // 12.-14.
    knownSpammers.LoadUpKnownList(programFile("known.lst"));
    loadLearnedScore();
    GetRemotePOPSettings(currentMailbox < 1 || currentMailbox > kMailboxCount ? 1 : currentMailbox);
    CleanUpEMLFiles();
    logUnconfirmedDeletions();
    expireKeptCopies();
    // 15.
    if (m_splash) {
        m_splash->showSecondPicture();
        TimerPool1.setActive(splashTrigger, true);
        // The main window is shown by the event loop; the splash stays above it.
        QTimer::singleShot(0, m_splash, [splash = m_splash] { splash->raise(); });
    }
    // 16.-19.
    UpdateAutomaticCaptions(m_general.general.Automatic, minutesLeft);
    setRunningState(false);
    if (!startInTray)
        trayIcon->showProgram();
    else if (!TTrayIcon::desktopHasTray())
        trayIcon->hideProgram(); // minimised on the taskbar: no tray to start in
    // 20.-21.
    ListView1->setColumnWidths(readMessageListColumns().widths);
    ListView1->fitSizeAndDate(storedMessageListColumns());
    const WindowPlacement placement = readWindowPlacement(WindowPlacement{});
    setGeometry(placement.FormLeft, placement.FormTop, placement.FormWidth, placement.FormHeight);
    keepOnScreen();
}

} // namespace tw
