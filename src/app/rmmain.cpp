#include "app/rmmain.h"
#include "app/secret_questions.h"

#include "app/About.h"
#include "app/glyph_button.h"
#include "app/help_window.h"
#include "app/optRetrieve.h"
#include "app/resources_init.h"
#include "app/splash.h"
#include "platform/bytes.h"
#include "platform/event_wait.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/ui/screen_fit.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/ui/plain_text.h"
#include "settings/settings_store.h"
#include "stats/ui/chartmain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QStatusBar>
#include <QScreen>
#include <QStyle>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tw {

static const char *kSlogan = "Tidewell - eliminate junk e-mail!";
static const char *kStatusHint = "Right click for more options, double click to mark";
static const char *kNoTrayNote =
    "Your desktop shows no system tray, so Tidewell cannot hide there: its window is minimised to the taskbar "
    "instead, where a click brings it back.  Automatic checks go on meanwhile.\n\n"
    "(Some desktops show a tray only with an extension, for example GNOME's \"AppIndicator\" extension.)";

TfrmMain::TfrmMain(GeneralSettingsModel &general, SpamSettingsModel &spam, QWidget *parent)
    : QMainWindow(parent), learnedFilter(programFile(kLearnedStoreFile)), m_general(general), m_spam(spam),
      m_mxLookup(MXResolver), m_mxAsker(MXQueries), m_domains(&m_mxLookup),
      m_classifier(messages, mailSession().listed(), spam.rules, spam.tests, knownSpammers, m_domains, why)
{
    // After the keyring fails, checks and the settings windows ask the user this.
    m_general.secrets.askInsteadOfKeyring = askWhereToKeepSecrets;
    m_classifier.setLearnedFilter(&learnedFilter);
    // An exception the user wrote accepts the message: ordinary mail.
    m_classifier.OnExcepted = [this](int row) {
        if (row < mailSession().listed().Count())
            learner.excepted(mailSession().listed().Items(row).Headers);
    };
    loadResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tidewell"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/tidewell.png")));
    msRemotePOP1.DefaultPort = 110;
    msRemotePOP1.SetTimeOut(120);
    msRemoteIMAP1.SetTimeOut(120);
    buildControls();
    buildTrayMenu();
    buildPopupMenu();
    trayIcon = new TTrayIcon(this, trayMenu, this);
    trayIcon->OnPopup = [this] { popTrayPopup(); };
    trayIcon->OnMinimizedForLackOfTray = [this] { tellOnceWhyMinimized(); };
    wirePopEvents();
    wireDomainQueries();
    connect(&m_keptSessionTimer, &QTimer::timeout, this, &TfrmMain::endKeptSession);
    TimerPool1.OnAllTriggers = [this](TimerPool::Handle handle) { TimerPoolAllTriggers(handle); };
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    // The list shows the messages, which go before the window's children do.
    delete ListView1;
    ListView1 = nullptr;
}

QToolButton *TfrmMain::bigButton(const char *name, const QString &caption, const QString &glyph,
                                  const QString &description)
{
    auto *button = new TGlyphButton(this);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setAccessibleDescription(description);
    button->setIcon(QIcon(QStringLiteral(":/pictures/") + glyph + QStringLiteral(".png")));
    return button;
}

QToolButton *TfrmMain::panelButton(const char *name, const QString &caption)
{
    auto *button = new QToolButton(pnlSettings);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setMinimumHeight(28);
    return button;
}

void TfrmMain::buildControls()
{
    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(4, 2, 4, 0);
    outer->setSpacing(4);

    auto *rule = new QFrame(central);
    rule->setObjectName(QStringLiteral("Bevel1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    outer->addWidget(rule);

    auto *titleRow = new QHBoxLayout;
    lblTitle = plainLabel(new QLabel(QStringLiteral("Tidewell"), central)); // the caption
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(QFont(QStringLiteral("DejaVu Serif"), 18, QFont::Bold));
    lblTitle->setStyleSheet(QStringLiteral("color: #173a6a;"));
    lblTM = new QLabel(QStringLiteral("TM"), central);
    lblTM->setObjectName(QStringLiteral("lblTM"));
    QFont small = lblTM->font();
    small.setPointSize(7);
    lblTM->setFont(small);
    lblTM->setAlignment(Qt::AlignTop);
    lblAd = plainLabel(new QLabel(QString::fromLatin1(kSlogan), central));
    lblAd->setObjectName(QStringLiteral("lblAd"));
    lblAd->setStyleSheet(QStringLiteral("color: #1c6a2a; font-style: italic;"));
    titleRow->addWidget(lblTitle);
    titleRow->addWidget(lblTM);
    titleRow->addSpacing(16);
    // The title carries the automatic-mode countdown; the slogan gives way to it.
    lblAd->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    titleRow->addWidget(lblAd, 1);
    titleRow->addStretch(); // takes the room while the slogan is hidden
    outer->addLayout(titleRow);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(3);
    btList = bigButton("btList", QStringLiteral("&Check e-mail"), QStringLiteral("no_mail"),
                       QStringLiteral("Checks the mailbox and lists its waiting messages with their marks (key C)."));
    btOptions = bigButton("btOptions", QStringLiteral("&Settings && Stats"), QStringLiteral("settings"),
                          QStringLiteral("Opens the panel of settings, statistics, deleted mail, about and help."));
    btExit = bigButton("btExit", QStringLiteral("E&xit"), QStringLiteral("exit"),
                       QStringLiteral("Ends Tidewell, or hides it when it starts in the tray; during a check it "
                                      "cancels the check (key X)."));
    btMark = bigButton("btMark", QStringLiteral("&Mark msgs"), QStringLiteral("mark"),
                       QStringLiteral("Gives the selected messages a check mark, or takes it away (key M)."));
    btDelete = bigButton("btDelete", QStringLiteral("&Delete marked msgs"), QStringLiteral("delete"),
                         QStringLiteral("Deletes the messages with a check mark or a blacklist mark on the server "
                                        "(key D)."));
    btRemark = bigButton("btRemark", QStringLiteral("&Auto mark msgs"), QStringLiteral("automark"),
                         QStringLiteral("Marks the whole list again by the rules and tests (key A)."));
    btResetAll = bigButton("btResetAll", QStringLiteral("&Reset all marks"), QStringLiteral("reset"),
                           QStringLiteral("Takes every mark away (key R)."));
    btLaunch = bigButton("btLaunch", QStringLiteral("&Launch e-mail program"), QStringLiteral("launch"),
                         QStringLiteral("Starts your mail program (key L)."));
    btList->setWhatsThis(QStringLiteral("Help context 3010"));
    for (QToolButton *b : {btList, btOptions, btExit, btMark, btDelete, btRemark, btResetAll, btLaunch})
        buttons->addWidget(b);
    buttons->addStretch();
    outer->addLayout(buttons);

    // The settings drop-down panel below "Settings & Stats".
    pnlSettings = new QFrame(this, Qt::Popup);
    pnlSettings->setObjectName(QStringLiteral("pnlSettings"));
    static_cast<QFrame *>(pnlSettings)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *panel = new QHBoxLayout(pnlSettings);
    panel->setContentsMargins(3, 3, 3, 3);
    btGeneral = panelButton("btGeneral", QStringLiteral("&General settings"));
    btSpamSetup = panelButton("btSpamSetup", QStringLiteral("S&pam settings"));
    btStats = panelButton("btStats", QStringLiteral("S&tats"));
    btDeletedMail = panelButton("btDeletedMail", QStringLiteral("&Deleted mail"));
    btAbout = panelButton("btAbout", QStringLiteral("A&bout"));
    btBlammo = panelButton("btBlammo", QStringLiteral("Smash it"));
    btHelp = panelButton("btHelp", QStringLiteral("&Help"));
    for (QToolButton *b : {btGeneral, btSpamSetup, btStats, btDeletedMail, btAbout, btBlammo, btHelp})
        panel->addWidget(b);

    pnlFirstStart = new QFrame(central);
    pnlFirstStart->setObjectName(QStringLiteral("pnlFirstStart"));
    static_cast<QFrame *>(pnlFirstStart)->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    auto *guide = new QHBoxLayout(pnlFirstStart);
    lblFirstStart = plainLabel(new QLabel(QStringLiteral("To start, add your mailbox: Tidewell finds its server "
                                                         "from your e-mail address."),
                                          pnlFirstStart));
    lblFirstStart->setObjectName(QStringLiteral("lblFirstStart"));
    lblFirstStart->setWordWrap(true);
    btAddFromAddress = new QPushButton(QStringLiteral("Add from address..."), pnlFirstStart);
    btAddFromAddress->setObjectName(QStringLiteral("btAddFromAddress"));
    guide->addWidget(lblFirstStart, 1);
    guide->addWidget(btAddFromAddress);
    pnlFirstStart->hide();
    outer->addWidget(pnlFirstStart);

    ListView1 = new TMessageListView(messages, central);
    ListView1->setAccessibleName(QStringLiteral("Waiting messages"));
    ListView1->setAccessibleDescription(QStringLiteral(
        "The messages on the server, each with its mark: a check mark or a blacklist mark deletes it, a question "
        "mark asks you to look at it, an exception picture accepts it. M toggles the check mark of the selected "
        "messages; the menu key opens the list's commands."));
    outer->addWidget(ListView1, 1);
    setCentralWidget(central);

    StatusPanel1 = plainLabel(new QLabel(QString::fromLatin1(kStatusHint), this));
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFixedWidth(300);
    StatusPanel2 = plainLabel(new QLabel(this)); // servers' texts and subjects reach it
    StatusPanel2->setObjectName(QStringLiteral("StatusPanel2"));
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusPanel1);
    statusBar()->addWidget(StatusPanel2, 1);

    connect(btList, &QToolButton::clicked, this, &TfrmMain::btListClick);
    connect(btAddFromAddress, &QPushButton::clicked, this, &TfrmMain::btAddFromAddressClick);
    connect(btOptions, &QToolButton::clicked, this, [this] {
        pnlSettings->adjustSize();
        pnlSettings->move(btOptions->mapToGlobal(QPoint(0, btOptions->height())));
        pnlSettings->show();
        btGeneral->setFocus(Qt::PopupFocusReason); // the panel is worked with the keyboard too
    });
    connect(btExit, &QToolButton::clicked, this, &TfrmMain::btExitClick);
    connect(btMark, &QToolButton::clicked, this, &TfrmMain::btMarkClick);
    connect(btDelete, &QToolButton::clicked, this, &TfrmMain::btDeleteClick);
    connect(btRemark, &QToolButton::clicked, this, &TfrmMain::btRemarkClick);
    connect(btResetAll, &QToolButton::clicked, this, &TfrmMain::ResetButtonClick);
    connect(btLaunch, &QToolButton::clicked, this, &TfrmMain::btLaunchClick);
    const auto fromPanel = [this](QToolButton *button, std::function<void()> command) {
        connect(button, &QToolButton::clicked, this, [this, command] {
            pnlSettings->hide();
            command();
        });
    };
    fromPanel(btGeneral, [this] { btGeneralClick(); });
    fromPanel(btSpamSetup, [this] { btSpamSetupClick(); });
    fromPanel(btStats, [this] { btStatsClick(); });
    fromPanel(btDeletedMail, [this] { DeletedMail1Click(); });
    fromPanel(btAbout, [this] { btAboutClick(false); });
    fromPanel(btBlammo, [this] { btAboutClick(true); });
    fromPanel(btHelp, [this] { btHelpClick(); });
    auto *contextHelp = new QShortcut(QKeySequence::HelpContents, this);
    connect(contextHelp, &QShortcut::activated, this, &TfrmMain::btHelpClick);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, [this] { btMarkClick(); });

    for (QToolButton *b : {btMark, btDelete, btRemark, btResetAll, btLaunch})
        b->hide();
    setMinimumSize(476, 70);
}

void TfrmMain::buildTrayMenu()
{
    trayMenu = new QMenu(this);
    trayMenu->setObjectName(QStringLiteral("popTray"));
    acTrayCheck = trayMenu->addAction(QStringLiteral("Check e-mail for spam"), this, &TfrmMain::Show1Click);
    acTrayLaunch =
        trayMenu->addAction(QStringLiteral("Launch e-mail program"), this, &TfrmMain::LaunchEmailprogram1Click);
    trayMenu->addSeparator();
    acTrayMain = trayMenu->addAction(QStringLiteral("Main screen"), this, &TfrmMain::ShowMainScreen1Click);
    QMenu *settings = trayMenu->addMenu(QStringLiteral("Settings"));
    acTraySpam = settings->addAction(QStringLiteral("Spam"), this, &TfrmMain::btSpamSetupClick);
    acTrayGeneral = settings->addAction(QStringLiteral("General"), this, &TfrmMain::btGeneralClick);
    acTrayViewLog = settings->addAction(QStringLiteral("View log file"), this, &TfrmMain::Viewlogfile1Click);
    acTrayStats = trayMenu->addAction(QStringLiteral("Statistics"), this, &TfrmMain::btStatsClick);
    acTrayDeletedMail = trayMenu->addAction(QStringLiteral("Deleted mail"), this, &TfrmMain::DeletedMail1Click);
    trayMenu->addSeparator();
    acTrayEnable = trayMenu->addAction(QStringLiteral("Enable automatic check"), this,
                                       [this] { EnableAutomatic1Click(true); });
    acTrayDisable = trayMenu->addAction(QStringLiteral("Disable automatic check"), this,
                                        [this] { EnableAutomatic1Click(false); });
    acTrayEnable->setCheckable(true);
    acTrayDisable->setCheckable(true);
    acTrayDisable->setChecked(true);
    trayMenu->addSeparator();
    QMenu *help = trayMenu->addMenu(QStringLiteral("Help/Info"));
    acTrayHelp = help->addAction(QStringLiteral("Help"), this, &TfrmMain::btHelpClick);
    acTrayAbout = help->addAction(QStringLiteral("About"), this, [this] { btAboutClick(false); });
    trayMenu->addSeparator();
    acTrayExit = trayMenu->addAction(QStringLiteral("Exit"), this, [this] { exitCommand(true); });
}

// --- buttons and status -------------------------------------------------------------

void TfrmMain::disableAllButtons()
{
    btList->setEnabled(false);
    btOptions->setEnabled(false);
    for (QToolButton *b : {btMark, btResetAll, btLaunch, btDelete, btRemark})
        b->hide();
    lblAd->show();
}

void TfrmMain::enableAllButtons()
{
    btList->setEnabled(true);
    btOptions->setEnabled(true);
    if (messages.count() > 0) {
        for (QToolButton *b : {btMark, btResetAll, btLaunch, btDelete, btRemark})
            b->show();
        lblAd->hide();
    }
}

void TfrmMain::setRunningState(bool running)
{
    if (running) {
        btExit->setText(QStringLiteral("Cancel"));
        btExit->setIcon(QIcon(QStringLiteral(":/pictures/stop.png")));
        acTrayExit->setText(QStringLiteral("Cancel"));
    } else {
        btExit->setText(startInTray ? QStringLiteral("&Hide") : QStringLiteral("E&xit"));
        QIcon exitGlyph(QStringLiteral(":/pictures/exit.png"));
        exitGlyph.addFile(QStringLiteral(":/pictures/exit_unfocused.png"), QSize(), QIcon::Disabled);
        btExit->setIcon(exitGlyph);
        acTrayExit->setText(QStringLiteral("Exit"));
    }
    updateCheckGlyph();
}

bool TfrmMain::runningState() const { return btExit->text() == QStringLiteral("Cancel"); }

void TfrmMain::updateCheckGlyph()
{
    btList->setIcon(QIcon(messages.count() > 0 ? QStringLiteral(":/pictures/mail_waiting.png")
                                               : QStringLiteral(":/pictures/no_mail.png")));
}

void TfrmMain::setStatus(const std::string &text) { StatusPanel2->setText(toDisplay(text)); }

std::string TfrmMain::status() const { return fromDisplay(StatusPanel2->text()); }

void TfrmMain::ShowTotalCount() { setStatus(messages.ShowTotalCount()); }

void TfrmMain::NadaSelected() { Prompts::current().information(messages.NadaSelected()); }

void TfrmMain::readSelection() { ListView1->readSelection(messages); }

void TfrmMain::showMarks() { ListView1->showMarks(); }

void TfrmMain::setCaption(const std::string &caption)
{
    setWindowTitle(toDisplay(caption));
    lblTitle->setText(toDisplay(caption));
    trayIcon->setHint(caption);
}

// A window minimised in the tray's place is as out of sight as one hidden in it.
bool TfrmMain::visibleOrManual() const { return (isVisible() && !isMinimized()) || !automaticRun; }

void TfrmMain::showProgress(const std::string &title)
{
    if (!m_progress || !visibleOrManual())
        return;
    m_progress->show();
    m_progress->setTitle(title);
}

void TfrmMain::hideProgress()
{
    if (m_progress)
        m_progress->hide();
}

// --- mark commands -------------------------------------------------------------------

void TfrmMain::btMarkClick()
{
    playAlarmSound(false);
    readSelection();
    if (!messages.btMarkClick()) {
        NadaSelected();
        return;
    }
    showMarks();
    ShowTotalCount();
}

void TfrmMain::ResetButtonClick()
{
    setStatus(messages.ResetButtonClick());
    showMarks();
}

void TfrmMain::btRemarkClick()
{
    playAlarmSound(false);
    m_classifier.setMailboxNumber(serverToIndex());
    const bool anyMarked = m_classifier.btRemarkClick();
    showMarks();
    if (!anyMarked)
        Prompts::current().information(kNoneMatchedText);
    ShowTotalCount();
}

void TfrmMain::classify(int index)
{
    m_classifier.setMailboxNumber(serverToIndex());
    if (index >= 0) {
        m_classifier.MarkForDeletion(index);
        ListView1->markChanged(index);
        return;
    }
    // Every row in turn, handling the program's events as the listing does
    // (the list is emptied when the user cancels meanwhile).
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    for (int row = 0; row < messages.count(); ++row) {
        m_classifier.MarkForDeletion(row);
        if (sinceEvents.hasExpired(TagSocket::ResponsiveMilliseconds)) {
            processPendingEvents();
            sinceEvents.start();
        }
    }
    showMarks();
}

std::vector<std::string> TfrmMain::explain(int index)
{
    m_classifier.setMailboxNumber(serverToIndex());
    return m_classifier.explain(index);
}

int TfrmMain::serverToIndex() const { return m_general.serverToIndex(mailClient().Server, mailClient().UserName); }

// --- window commands -----------------------------------------------------------------

void TfrmMain::afterDialog()
{
    if (m_general.general.Automatic)
        TimerPool1.setActive(minuteTrigger, true);
}

void TfrmMain::cancelRun()
{
    if (m_decodeCancel)
        m_decodeCancel->store(true);
    mailClient().Cancel();
    MXResolver.Cancel(); // a domain lookup of the classification may be waiting too
    if (checkInProgress) {
        messages.clear();
        ListView1->showAll();
    }
    checkInProgress = false;
    enableAllButtons();
    hideProgress();
}

void TfrmMain::exitCommand(bool fromTray)
{
    playAlarmSound(false);
    if (runningState()) {
        cancelRun();
        return;
    }
    if (m_viewingBody) {
        // The caption stays "Exit" (or "Hide") while a message is fetched
        // for viewing: the fetch ends first, then the command is done.
        m_exitAfterViewing = fromTray;
        if (m_decodeCancel)
            m_decodeCancel->store(true);
        mailClient().Cancel();
        return;
    }
    activityLog.CloseLogFile();
    if (fromTray) {
        if (mailClient().IsConnected()) {
            try {
                mailClient().CloseMailbox();
            } catch (const std::exception &) {
            }
        }
        if (EndProgram)
            EndProgram();
        return;
    }
    if (startInTray)
        trayIcon->hideProgram();
    else
        close();
}

void TfrmMain::btHelpClick()
{
    TimerPool1.setActive(minuteTrigger, false);
    playAlarmSound(false);
    if (!showHelp({}, this))
        Prompts::current().error("Unable to open help file - tidewell.hlp.");
    afterDialog();
}

void TfrmMain::btGeneralClick() { showGeneralSettings(ShowGeneralSettingsWindow); }

void TfrmMain::btAddFromAddressClick() { showGeneralSettings(ShowAddFromAddress); }

void TfrmMain::updateFirstStartGuide() { pnlFirstStart->setVisible(m_general.HowManyMailboxesChecked() == 0); }

void TfrmMain::showGeneralSettings(const std::function<void()> &show)
{
    TimerPool1.setActive(minuteTrigger, false);
    playAlarmSound(false);
    if (show)
        show();
    updateFirstStartGuide();
    followAccountChanges();
    UpdateAutomaticCaptions(m_general.general.Automatic, m_general.general.Minutes);
    currentMailbox = m_general.servers.Which;
    minutesLeft = m_general.general.Minutes;
    msRemotePOP1.RAS = m_general.general.RAS > 0 ? &agRas1 : nullptr;
    msRemoteIMAP1.RAS = msRemotePOP1.RAS;
}

void TfrmMain::btSpamSetupClick()
{
    playAlarmSound(false);
    const bool wasActive = TimerPool1.active(minuteTrigger);
    TimerPool1.setActive(minuteTrigger, false);
    if (ShowSpamSettingsWindow)
        ShowSpamSettingsWindow();
    TimerPool1.setActive(minuteTrigger, wasActive);
}

void TfrmMain::btStatsClick()
{
    // Over the window in front (the general settings may have asked), or
    // on its own while the program lives in the tray.
    QWidget *front = QApplication::activeModalWidget();
    showStatisticsLauncher(front ? front : (isVisible() ? this : nullptr));
}

void TfrmMain::Viewlogfile1Click()
{
    if (!Shell::current().openDocument(m_general.general.Logfile))
        Prompts::current().error("Unable to open log file. ");
}

void TfrmMain::btAboutClick(bool bustASpam)
{
    if (aboutBusy)
        return;
    aboutBusy = true;
    TimerPool1.setActive(minuteTrigger, false);
    playAlarmSound(false);
    {
        TfrmAbout about(bustASpam ? TfrmAbout::Page::BustASpam : TfrmAbout::Page::About, this);
        about.exec();
    }
    afterDialog();
    aboutBusy = false;
}

// --- events ----------------------------------------------------------------------------

void TfrmMain::keyReleaseEvent(QKeyEvent *event) { QMainWindow::keyReleaseEvent(event); }

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Installed on the application: key releases anywhere in this window reach
    // the shortcuts first, and presses on the list reach ListView1Click once.
    if (event->type() == QEvent::KeyRelease) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && !key->isAutoRepeat()) {
            if (widget == ListView1 || ListView1->isAncestorOf(widget))
                ListView1KeyUp();
            const bool plain = (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0 &&
                               QApplication::mouseButtons() == Qt::NoButton;
            if (plain) {
                std::function<void()> command;
                switch (key->key()) {
                case Qt::Key_C: command = [this] { btListClick(); }; break;
                case Qt::Key_M: command = [this] { btMarkClick(); }; break;
                case Qt::Key_D: command = [this] { btDeleteClick(); }; break;
                case Qt::Key_X: command = [this] { btExitClick(); }; break;
                case Qt::Key_L: command = [this] { btLaunchClick(); }; break;
                case Qt::Key_R: command = [this] { ResetButtonClick(); }; break;
                case Qt::Key_A: command = [this] { btRemarkClick(); }; break;
                default: break;
                }
                if (command) {
                    command();
                    return true;
                }
            }
        }
    }
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonPress)
        ListView1Click();
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    ListView1->LoadUpImageList();
    pnlSettings->adjustSize();
    pnlSettings->setFixedWidth(btHelp->geometry().right() + 5);
    lblAd->setText(QString::fromLatin1(kSlogan));
    updateFirstStartGuide();
    QMainWindow::showEvent(event);
}

void TfrmMain::resizeEvent(QResizeEvent *event) { QMainWindow::resizeEvent(event); }

void TfrmMain::tellOnceWhyMinimized()
{
    if (m_general.general.NoTrayNoticeShown)
        return;
    m_general.general.NoTrayNoticeShown = true;
    try {
        saveNoTrayNoticeShown();
    } catch (const std::exception &) {
        // Not remembered: the note comes once more at the next start, which does no harm.
    }
    Prompts::current().information(kNoTrayNote);
}

void TfrmMain::keepOnScreen()
{
    // A placement saved on a larger screen, or at a smaller scale factor,
    // must not leave the window or its buttons out of reach.
    fitOnScreen(this);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (OnClosing)
        OnClosing();
    learnFromListLeft({}, false);
    saveLearnedScore();
    if (mailClient().IsConnected()) {
        try {
            mailClient().CloseMailbox();
        } catch (const std::exception &) {
        }
    }
    try {
        MessageListColumns columns;
        columns.widths = ListView1->columnWidths();
        saveMessageListColumns(columns);
        const QRect frame = geometry();
        saveWindowPlacement({frame.top(), frame.left(), frame.width(), frame.height()});
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
    event->accept();
    if (EndProgram)
        EndProgram();
}

} // namespace tw
