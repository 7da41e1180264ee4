#include "app/program.h"

#include "app/closing_writes.h"
#include "app/demo_tour.h"
#include "app/help_window.h"
#include "app/optRetrieve.h"
#include "app/resources_init.h"
#include "app/rmmain.h"
#include "app/splash.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/keyring/keychain_secret_store.h"
#include "platform/notify/dbus_notifier.h"
#include "platform/session_bus.h"
#include "platform/singleinstance.h"
#include "platform/ui/desktop_services.h"
#include "platform/ui/screen_fit.h"
#include "settings/ui/general.h"
#include "settings/general_model.h"
#include "settings/settings_store.h"
#include "settings/ui/optsmain.h"
#include "settings/spam_model.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace tw {
namespace {

// Help for the settings window in front, shown over it.
void showHelpOverDialog(const std::string &topic)
{
    if (!showHelp(topic, QApplication::activeModalWidget()))
        Prompts::current().error("Unable to open help file - tidewell.hlp.");
}

} // namespace

int runProgram(int argc, char **argv)
{
    // Without a display Qt would abort with advice to reinstall; say what is wrong instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "Tidewell is a desktop program and needs a graphical display: neither DISPLAY nor "
                             "WAYLAND_DISPLAY is set.\n");
        return 1;
    }
    makeHomeVariableAbsolute();
    // Started without the session's environment (from a script or a
    // terminal of its own), the keyring is still on the user's bus.
    useUserSessionBusWhenUnset();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tidewell"));
    QApplication::setDesktopFileName(QStringLiteral("tidewell")); // the installed tidewell.desktop
    QApplication::setQuitOnLastWindowClosed(false); // hidden in the tray is still running
    registerDesktopServices();
    ScreenFitter screenFitter;
    app.installEventFilter(&screenFitter);

    loadResources();

    // One program per program folder: a second start brings the first one
    // forward and says so, rather than working on the same mailboxes.
    TFirstInstance firstInstance(programFolder());
    if (firstInstance.claim() == TFirstInstance::Claim::OwnedElsewhere) {
        const bool broughtForward = firstInstance.askOwnerToShow();
        std::fprintf(stderr, "%s\n", firstInstance.alreadyRunningText(broughtForward).c_str());
        return 1;
    }

    if (!prepareProgramFolder(":/data"))
        Prompts::current().error("Unable to create the program folder " + programFolder() + ".");
    for (const std::string &text : unreadableSettingsFiles())
        Prompts::current().error(text);

    auto *splash = new TfrmSplash;
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    // Passwords and sign-in tokens go to the desktop's keyring, unless the
    // user chose otherwise.
    KeychainSecretStore keyring(kKeyringService);
    SecretStore::setDesktop(&keyring);

    // The settings models live as long as the program; the windows that edit
    // them are created around them.
    GeneralSettingsModel general;
    // Secrets that older settings files hold move to the keyring before
    // anything reads them; whatever cannot move stays where it is and is
    // used from there (a check logs a warning about it once per run), and
    // the move is tried again at the next start.
    general.readAtStartUp();
    SpamSettingsModel spam;
    try {
        spam.readSettings();
    } catch (const std::exception &error) {
        splash->hide();
        Prompts::current().error(error.what());
    }

    // The settings windows have no parent: they stay usable while the main
    // window is hidden in the tray.
    ClosingWrites closingWrites; // ends after every window below
    TfrmMain main(general, spam);
    main.OnClosing = [&closingWrites] { closingWrites.begin(); };
    main.EndProgram = [&closingWrites] {
        closingWrites.begin();
        QApplication::quit();
    };
    TfrmOptionsMain spamWindow(spam, main.knownSpammers, [] { showHelpOverDialog("Spam_Settings"); });
    spamWindow.MailboxLines = [&general] { return mailboxLines(general.servers); };
    spamWindow.setLearnedFilter(&main.learnedFilter);
    main.ShowSpamSettingsWindow = [&spamWindow] { spamWindow.exec(); };
    TfrmRetrieving progress(&main);

    GeneralWindowCommands generalCommands;
    generalCommands.launchMailProgram = [&main] { main.btLaunchClick(); };
    generalCommands.showStatistics = [&main] { main.btStatsClick(); };
    generalCommands.showHelp = [] { showHelpOverDialog("General_Settings"); };
    generalCommands.showDeletedMail = [&main] { main.openDeletedMailWindow(); };
    TfrmGeneral generalWindow(general, spam, main.agRas1, generalCommands);
    generalWindow.setObjectName(QStringLiteral("frmGeneral"));
    main.ShowGeneralSettingsWindow = [&generalWindow] { generalWindow.exec(); };
    main.ShowAddFromAddress = [&generalWindow] { generalWindow.execAddingFromAddress(); };
    QObject::connect(&firstInstance, &TFirstInstance::showRequested, &main, [&main] {
        if (main.trayIcon)
            main.trayIcon->showProgram();
    });
    // Notifications with actions go to the desktop's notification server;
    // their handlers end with this object, before the main window does.
    DBusNotifier notifier;
    Notifier::setDesktop(&notifier);
    main.FormCreate(splash, &progress);
    startDemoTourWhenAsked(main);
    const int status = app.exec();
    main.CleanUpEMLFiles();
    Notifier::setDesktop(nullptr);
    SecretStore::setDesktop(nullptr);
    return status;
}

} // namespace tw
