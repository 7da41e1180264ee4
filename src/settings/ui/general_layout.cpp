// TfrmGeneral: building the tabs and their controls, and the edit colouring.

#include "settings/ui/general.h"
#include "platform/ui/plain_text.h"

#include "platform/ui/screen_fit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tw {
namespace {

template <class W>
W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel *note(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QToolButton *browseButton(const char *name, const QString &hint)
{
    auto *button = named(new QToolButton, QString::fromLatin1(name));
    button->setText(QStringLiteral("..."));
    button->setToolTip(hint);
    button->setAccessibleName(hint); // "..." says nothing read out
    return button;
}

QWidget *row(std::initializer_list<QWidget *> widgets, bool stretchAtEnd = false)
{
    auto *box = new QWidget;
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    if (stretchAtEnd)
        layout->addStretch();
    return box;
}

} // namespace

void TfrmGeneral::buildControls()
{
    setWindowTitle(QStringLiteral("General settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);

    PageControl1 = named(new QTabWidget, QStringLiteral("PageControl1"));
    // On a small screen a page scrolls; the tabs and the buttons stay in view.
    PageControl1->addTab(scrollingPage(buildMailboxesTab()), QStringLiteral("Mailboxes"));
    PageControl1->addTab(scrollingPage(buildConnectionTab()), QStringLiteral("Connection"));
    PageControl1->addTab(scrollingPage(buildAutomaticTab()), QStringLiteral("Automatic"));
    PageControl1->addTab(scrollingPage(buildStartUpTab()), QStringLiteral("Start Up"));
    PageControl1->addTab(scrollingPage(buildActivityLogTab()), QStringLiteral("Activity Log"));
    PageControl1->addTab(scrollingPage(buildMailProgramTab()), QStringLiteral("Mail program"));
    PageControl1->addTab(scrollingPage(buildDeletedMailTab()), QStringLiteral("Deleted mail"));
    PageControl1->addTab(scrollingPage(buildPasswordsTab()), QStringLiteral("Passwords"));

    btOK = named(new QPushButton(QStringLiteral("OK")), QStringLiteral("btOK"));
    btOK->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel")), QStringLiteral("btCancel"));
    btHelp = named(new QPushButton(QStringLiteral("Help")), QStringLiteral("btHelp"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    buttons->addWidget(btHelp);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    // Room for every column of the mailbox rows; a smaller screen shrinks it
    // and the rows scroll sideways.
    resize(1240, 560);
}

QWidget *TfrmGeneral::buildMailboxesTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(note(QStringLiteral(
        "To check your e-mail you need the name of your POP server, your user name (mailbox) on that server and "
        "your password.  Your internet service provider supplies them.")));

    auto *rows = new QWidget;
    auto *grid = new QGridLayout(rows);
    const char *headings[] = {"POP Server", "User Name/Mailbox", "Password", "Protocol", "Security", "Sign-in", "",
                              "Preferred", "Check?"};
    for (int column = 0; column < 9; ++column)
        grid->addWidget(new QLabel(QString::fromLatin1(headings[column])), 0, column);
    m_preferredGroup = new QButtonGroup(this);
    for (int n = 1; n <= kMailboxCount; ++n) {
        const size_t i = size_t(n - 1);
        const QString number = QString::number(n);
        edServe[i] = named(new QLineEdit, QStringLiteral("edServe") + number);
        edName[i] = named(new QLineEdit, QStringLiteral("edName") + number);
        edPass[i] = named(new QLineEdit, QStringLiteral("edPass") + number);
        edPass[i]->setEchoMode(QLineEdit::Password);
        // The column headings are plain labels: each field says which it is.
        edServe[i]->setAccessibleName(QStringLiteral("Mailbox %1 server").arg(n));
        edName[i]->setAccessibleName(QStringLiteral("Mailbox %1 user name").arg(n));
        edPass[i]->setAccessibleName(QStringLiteral("Mailbox %1 password").arg(n));
        edPass[i]->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // masked with '*'
        cmbSecurity[i] = named(new QComboBox, QStringLiteral("cmbSecurity") + number);
        // In the order of the stored numbers 0..3.
        cmbSecurity[i]->addItems({QStringLiteral("Automatic"), QStringLiteral("TLS"), QStringLiteral("STARTTLS"),
                                  QStringLiteral("None")});
        cmbSecurity[i]->setToolTip(QStringLiteral(
            "Automatic: TLS on port 995 (POP3) or 993 (IMAP), otherwise STARTTLS when the server offers it, "
            "otherwise unencrypted.\n"
            "TLS: encrypted from the start (usually port 995 for POP3, 993 for IMAP).\n"
            "STARTTLS: the server must switch to encryption before the password is sent (usually port 110 for "
            "POP3, 143 for IMAP).\n"
            "None: unencrypted."));
        rb[i] = named(new QRadioButton(QStringLiteral("Mailbox ") + number), QStringLiteral("rb") + number);
        cb[i] = named(new QCheckBox(QStringLiteral("?")), QStringLiteral("cb") + number);
        m_preferredGroup->addButton(rb[i], n);
        // Each mailbox takes two grid rows: its own, and under it the line
        // that only an IMAP mailbox shows.
        const int gridRow = 2 * n - 1;
        grid->addWidget(edServe[i], gridRow, 0);
        grid->addWidget(edName[i], gridRow, 1);
        grid->addWidget(edPass[i], gridRow, 2);
        addProtocolControls(grid, n, gridRow, 3);
        btForgetCertificate[i] = named(new QToolButton, QStringLiteral("btForgetCertificate") + number);
        btForgetCertificate[i]->setText(QStringLiteral("Forget"));
        btForgetCertificate[i]->setAutoRaise(true);
        auto *security = new QWidget;
        auto *securityRow = new QHBoxLayout(security);
        securityRow->setContentsMargins(0, 0, 0, 0);
        securityRow->addWidget(cmbSecurity[i], 1);
        securityRow->addWidget(btForgetCertificate[i]);
        grid->addWidget(security, gridRow, 4);
        addSignInControls(grid, n, gridRow, 5);
        grid->addWidget(rb[i], gridRow, 7);
        grid->addWidget(cb[i], gridRow, 8);
    }
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
    sizeMailboxColumns();
    orderMailboxTabs();
    rb[0]->setChecked(true);

    auto *scroll = new QScrollArea;
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    // Narrower than the rows (a small screen, a large scale), the rows
    // scroll sideways rather than losing their last columns.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(scroll, 1);
    lblSignInNote = named(note(QString()), QStringLiteral("lblSignInNote"));
    lblSignInNote->setTextFormat(Qt::PlainText);
    lblSignInNote->setTextInteractionFlags(Qt::TextSelectableByMouse); // addresses in it can be copied
    layout->addWidget(lblSignInNote);
    btAddFromAddress = named(new QPushButton(QStringLiteral("Add from address...")), QStringLiteral("btAddFromAddress"));
    btAddFromAddress->setToolTip(
        QStringLiteral("Fills the first empty row with the servers found for an e-mail address."));
    layout->addWidget(row({new QLabel(QStringLiteral("Mailboxes without a check mark will not be checked for e-mail.")),
                           btAddFromAddress}));
    return page;
}

void TfrmGeneral::sizeMailboxColumns()
{
    // Wide enough for what these fields usually hold, so that a server name
    // with its port ("pop.mail.yahoo.com:995") shows whole.
    const QFontMetrics metrics = edServe[0]->fontMetrics();
    const auto room = [&metrics](const char *sample) {
        return metrics.horizontalAdvance(QString::fromLatin1(sample)) + 4 * metrics.averageCharWidth();
    };
    for (int n = 1; n <= kMailboxCount; ++n) {
        const size_t i = size_t(n - 1);
        edServe[i]->setMinimumWidth(room("outlook.office365.com:995"));
        edName[i]->setMinimumWidth(room("firstname.lastname"));
        edPass[i]->setMinimumWidth(room("**********"));
    }
}

void TfrmGeneral::orderMailboxTabs()
{
    // Tab follows the row as it reads, left to right, then the line under
    // an IMAP row, then the next row.
    QWidget *previous = nullptr;
    for (int n = 1; n <= kMailboxCount; ++n) {
        const size_t i = size_t(n - 1);
        for (QWidget *next : std::initializer_list<QWidget *>{
                 edServe[i], edName[i], edPass[i], cmbProtocol[i], cmbSecurity[i], btForgetCertificate[i],
                 cmbSignIn[i], btSignIn[i], btOAuthSettings[i], rb[i], cb[i], edFolder[i], cbImapDelete[i]}) {
            if (previous)
                setTabOrder(previous, next);
            previous = next;
        }
    }
}

QWidget *TfrmGeneral::buildConnectionTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Specify a default connection to the internet:")));
    RASComboBox = named(new QComboBox, QStringLiteral("RASComboBox"));
    layout->addWidget(RASComboBox);
    layout->addWidget(note(QStringLiteral("Select 'none' if you do not want Tidewell to dial in to the internet or "
                                          "are using a cable modem or high speed connection.")));
    layout->addWidget(
        note(QStringLiteral("None - is the preferred setting.  Connect to the internet first before running Tidewell.")));
    layout->addStretch();
    return page;
}

QWidget *TfrmGeneral::buildAutomaticTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(note(QStringLiteral("Tidewell can run unattended and may delete e-mail without confirmation.")));
    rbManual = named(new QRadioButton(QStringLiteral("Check e-mail manually (preferred setting)")),
                     QStringLiteral("rbManual"));
    rbAuto = named(new QRadioButton(QStringLiteral("Check e-mail unattended or automatically")),
                   QStringLiteral("rbAuto"));
    rbManual->setChecked(true);
    layout->addWidget(rbManual);
    layout->addWidget(rbAuto);

    pnlManual = named(new QWidget, QStringLiteral("pnlManual"));
    auto *manual = new QVBoxLayout(pnlManual);
    manual->addWidget(note(QStringLiteral("These options only apply if checking e-mail manually.  They do not apply "
                                          "when e-mail is checked automatically.")));
    cbConfirmation = named(new QCheckBox(QStringLiteral("When deleting messages interactively, ask for confirmation")),
                           QStringLiteral("cbConfirmation"));
    cbLaunch = named(new QCheckBox(QStringLiteral("After deleting spam, launch e-mail program if there is e-mail to read")),
                     QStringLiteral("cbLaunch"));
    cbExit = named(new QCheckBox(QStringLiteral("If no mail is on the server, exit after checking e-mail")),
                   QStringLiteral("cbExit"));
    manual->addWidget(cbConfirmation);
    manual->addWidget(cbLaunch);
    manual->addWidget(cbExit);
    manual->addStretch();

    pnlAuto = named(new QWidget, QStringLiteral("pnlAuto"));
    auto *automatic = new QVBoxLayout(pnlAuto);
    nMinutes = named(new QSpinBox, QStringLiteral("nMinutes"));
    nMinutes->setAccessibleName(QStringLiteral("Minutes between checks"));
    nMinutes->setRange(2, 600);
    nMinutes->setSingleStep(1);
    automatic->addWidget(row({new QLabel(QStringLiteral("Check for mail every ")), nMinutes,
                              new QLabel(QStringLiteral("minutes"))},
                             true));
    cbKill = named(new QCheckBox(QStringLiteral("Delete spam automatically from all mailboxes - no confirmation?")),
                   QStringLiteral("cbKill"));
    automatic->addWidget(cbKill);
    pnlSound = named(new QWidget, QStringLiteral("pnlSound"));
    auto *sound = new QVBoxLayout(pnlSound);
    sound->setContentsMargins(0, 0, 0, 0);
    cbAlarm = named(new QCheckBox(QStringLiteral("&Play this sound file if there is e-mail on the server")),
                    QStringLiteral("cbAlarm"));
    edAlarm = named(new QLineEdit, QStringLiteral("edAlarm"));
    edAlarm->setAccessibleName(QStringLiteral("Alarm sound file"));
    SpeedButton3 = browseButton("SpeedButton3", QStringLiteral("Browse for sound file"));
    sbTest = named(new QPushButton(QStringLiteral("Test")), QStringLiteral("sbTest"));
    cbRepeat = named(new QCheckBox(QStringLiteral("Repeat the alarm until keypress or mouse click?")),
                     QStringLiteral("cbRepeat"));
    sound->addWidget(cbAlarm);
    sound->addWidget(row({edAlarm, SpeedButton3, sbTest}));
    sound->addWidget(cbRepeat);
    automatic->addWidget(pnlSound);
    cbNotify = named(new QCheckBox(QStringLiteral("Show desktop &notifications (junk marked, a sign-in expired, a "
                                                  "certificate changed)")),
                     QStringLiteral("cbNotify"));
    cbNotify->setToolTip(QStringLiteral("Each notification has buttons: Review or Delete now for junk, Open for a "
                                        "mailbox that needs you.  The tray icon's tip tells the same in any case."));
    automatic->addWidget(cbNotify);
    automatic->addStretch();

    layout->addWidget(pnlManual, 1);
    layout->addWidget(pnlAuto, 1);
    return page;
}

QWidget *TfrmGeneral::buildStartUpTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    cbSysTray = named(new QCheckBox(QStringLiteral("Start Tidewell up in the system tray?")), QStringLiteral("cbSysTray"));
    layout->addWidget(cbSysTray);
    layout->addWidget(note(QStringLiteral("The next time Tidewell starts it will not show its main screen but start "
                                          "up in the system tray.")));
    layout->addWidget(note(QStringLiteral("This suits checking e-mail in the background.  The change takes effect "
                                          "only the next time Tidewell starts.")));
    layout->addWidget(note(QStringLiteral("Reach Tidewell by a right click on its icon in the system tray.")));
    layout->addWidget(note(QStringLiteral("Where the desktop shows no system tray, Tidewell starts minimised on the "
                                          "taskbar instead, and Hide puts it there too.")));
    cbStartAtLogin = named(new QCheckBox(QStringLiteral("Start Tidewell when I &log in")),
                           QStringLiteral("cbStartAtLogin"));
    layout->addSpacing(12);
    layout->addWidget(cbStartAtLogin);
    layout->addWidget(note(QStringLiteral("The desktop starts Tidewell at login through an entry in its autostart "
                                          "folder (tidewell.desktop); OK writes or removes it.")));
    layout->addStretch();
    return page;
}

QWidget *TfrmGeneral::buildActivityLogTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Store results in activity log file:")));
    Edit1 = named(new QLineEdit, QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Activity log file"));
    SpeedButton1 = browseButton("SpeedButton1", QStringLiteral("Browse for log file"));
    layout->addWidget(row({Edit1, SpeedButton1}));
    btView = named(new QPushButton(QStringLiteral("&View log file")), QStringLiteral("btView"));
    btClear = named(new QPushButton(QStringLiteral("&Clear log file")), QStringLiteral("btClear"));
    layout->addWidget(row({btView, btClear}, true));
    rbAsIs = named(new QRadioButton(QStringLiteral("&Use the name of the log file AS IS (no changes)?")),
                   QStringLiteral("rbAsIs"));
    rbMonth = named(new QRadioButton(QStringLiteral(
                        "Automatically pick a new name every &month? (i.e. Jan98.txt, Feb98.txt, ...)")),
                    QStringLiteral("rbMonth"));
    rbQuarter = named(new QRadioButton(QStringLiteral(
                          "Automatically pick a new name every &quarter? (Q1_98.txt, Q2_98.txt, ...)")),
                      QStringLiteral("rbQuarter"));
    rbAsIs->setChecked(true);
    layout->addWidget(rbAsIs);
    layout->addWidget(rbMonth);
    layout->addWidget(rbQuarter);
    edCount = named(plainLabel(new QLabel(QStringLiteral("0"))), QStringLiteral("edCount"));
    btReset = named(new QPushButton(QStringLiteral("&Reset counter")), QStringLiteral("btReset"));
    layout->addWidget(row({edCount, new QLabel(QStringLiteral("Spams have been deleted up till now")), btReset}, true));
    btStats = named(new QPushButton(QStringLiteral("View &Statistics")), QStringLiteral("btStats"));
    layout->addWidget(row({btStats}, true));
    layout->addStretch();
    return page;
}

QWidget *TfrmGeneral::buildMailProgramTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Mail program path/name:")));
    edMail = named(new QLineEdit, QStringLiteral("edMail"));
    edMail->setAccessibleName(QStringLiteral("Mail program path"));
    SpeedButton2 = browseButton("SpeedButton2", QStringLiteral("Find mail program"));
    layout->addWidget(row({edMail, SpeedButton2}));
    btLaunch = named(new QPushButton(QStringLiteral("Launch mail program")), QStringLiteral("btLaunch"));
    layout->addWidget(row({btLaunch}, true));
    layout->addWidget(note(QStringLiteral("Tidewell does not support AOL, MSN  or Compuserve mail.  Sorry.")));
    layout->addStretch();
    return page;
}

QWidget *TfrmGeneral::buildDeletedMailTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    const auto spin = [](const char *name, int most) {
        auto *box = named(new QSpinBox, QString::fromLatin1(name));
        box->setRange(0, most);
        return box;
    };
    nKeepDays = spin("nKeepDays", 3650);
    nKeepMaxMB = spin("nKeepMaxMB", 1000000);
    nKeepMaxKB = spin("nKeepMaxKB", 262144);
    nKeepMaxKB->setMinimum(1);
    nKeepDays->setAccessibleName(QStringLiteral("Days to keep the copies"));
    nKeepMaxMB->setAccessibleName(QStringLiteral("Most MB of copies"));
    nKeepMaxKB->setAccessibleName(QStringLiteral("KB above which only the header block is kept"));
    layout->addWidget(note(QStringLiteral("Before Tidewell deletes a message on the server it keeps a copy, so that "
                                          "a message deleted by mistake can be had back.")));
    layout->addWidget(row({new QLabel(QStringLiteral("Keep the copies for")), nKeepDays,
                           new QLabel(QStringLiteral("days (0 keeps no copies)"))},
                          true));
    layout->addWidget(row({new QLabel(QStringLiteral("Keep at most")), nKeepMaxMB,
                           new QLabel(QStringLiteral("MB of copies (0: no limit; copies less than a day old are "
                                                     "always kept)"))},
                          true));
    layout->addWidget(row({new QLabel(QStringLiteral("Of a message larger than")), nKeepMaxKB,
                           new QLabel(QStringLiteral("KB keep only its header block"))},
                          true));
    btDeletedMail = named(new QPushButton(QStringLiteral("Show &deleted mail")), QStringLiteral("btDeletedMail"));
    layout->addWidget(row({btDeletedMail}, true));
    layout->addStretch();
    return page;
}

void TfrmGeneral::connectCommands()
{
    connect(btOK, &QPushButton::clicked, this, &TfrmGeneral::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmGeneral::btCancelClick);
    connect(btHelp, &QPushButton::clicked, this, &TfrmGeneral::btHelpClick);
    connect(btView, &QPushButton::clicked, this, &TfrmGeneral::btViewClick);
    connect(btClear, &QPushButton::clicked, this, &TfrmGeneral::btClearClick);
    connect(btReset, &QPushButton::clicked, this, &TfrmGeneral::btResetClick);
    connect(btStats, &QPushButton::clicked, this, &TfrmGeneral::btStatsClick);
    connect(btDeletedMail, &QPushButton::clicked, this, &TfrmGeneral::btDeletedMailClick);
    connect(btLaunch, &QPushButton::clicked, this, &TfrmGeneral::btLaunchClick);
    connect(btAddFromAddress, &QPushButton::clicked, this, &TfrmGeneral::addFromAddressClick);
    connect(sbTest, &QPushButton::clicked, this, &TfrmGeneral::sbTestClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfrmGeneral::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfrmGeneral::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TfrmGeneral::SpeedButton3Click);
    connect(cbKill, &QCheckBox::toggled, this, &TfrmGeneral::cbKillClick);
    connect(rbManual, &QRadioButton::toggled, this, &TfrmGeneral::rbManualClick);
    for (int n = 1; n <= kMailboxCount; ++n)
        connect(btForgetCertificate[size_t(n - 1)], &QToolButton::clicked, this, [this, n] { forgetCertificate(n); });
}

// Text and number fields are grey while they do not have the focus and
// white while they have it, so the field being typed into stands out.
void TfrmGeneral::ColorEdits()
{
    const auto edits = findChildren<QLineEdit *>();
    for (QLineEdit *edit : edits) {
        if (qobject_cast<QSpinBox *>(edit->parentWidget()))
            continue; // the spinner's own field: the spinner is coloured instead
        edit->installEventFilter(this);
        ControlExit(edit);
    }
    for (QSpinBox *spin : {nMinutes, nKeepDays, nKeepMaxMB, nKeepMaxKB}) {
        spin->installEventFilter(this);
        ControlExit(spin);
    }
}

void TfrmGeneral::ControlEnter(QWidget *control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
    control->setPalette(palette);
}

void TfrmGeneral::ControlExit(QWidget *control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    control->setPalette(palette);
}

bool TfrmGeneral::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *control = qobject_cast<QWidget *>(watched)) {
        if (event->type() == QEvent::FocusIn)
            ControlEnter(control);
        else if (event->type() == QEvent::FocusOut)
            ControlExit(control);
    }
    return QDialog::eventFilter(watched, event);
}

QWidget *TfrmGeneral::buildPasswordsTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Keep the mailbox passwords and sign-in tokens in:")));
    struct Choice {
        QRadioButton *&button;
        const char *name;
        QString caption, safety;
    };
    const Choice choices[] = {
        {rbPasswordKeyring, "rbPasswordKeyring", QStringLiteral("Desktop &keyring (recommended)"),
         QStringLiteral("The safest: your desktop's keyring keeps them locked while you are logged out, and a "
                        "copy of your files does not reveal them.")},
        {rbPasswordFile, "rbPasswordFile", QStringLiteral("Tidewell's &settings file"),
         QStringLiteral("Enciphered in registry.ini, but with a key anyone can find: every program you run, and "
                        "anyone with a copy of your files, can read them.")},
        {rbPasswordAsk, "rbPasswordAsk", QStringLiteral("As&k at each check"),
         QStringLiteral("Nothing is stored: Tidewell asks for each password once after it starts, and checks in "
                        "the background pass over a mailbox until you have given its password.")},
    };
    for (const Choice &choice : choices) {
        choice.button = named(new QRadioButton(choice.caption), QString::fromLatin1(choice.name));
        layout->addWidget(choice.button);
        QLabel *safety = note(choice.safety);
        safety->setContentsMargins(24, 0, 0, 6);
        layout->addWidget(safety);
    }
    rbPasswordKeyring->setChecked(true);
    layout->addWidget(note(QStringLiteral(
        "When the keyring cannot be reached, a check you start asks where to keep them instead.  A change here "
        "moves the stored passwords when you press OK.")));
    layout->addStretch();
    return page;
}

} // namespace tw
