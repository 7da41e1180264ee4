#include "settings/ui/optsmain.h"

#include "classify/known_spammers.h"
#include "net/errors.h"
#include "platform/bytes.h"
#include "platform/event_wait.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/text_file.h"
#include "platform/ui/screen_fit.h"
#include "settings/ui/rule_grid_view.h"
#include "settings/settings_store.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tw {

namespace {

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

// Two radio buttons in a group of their own, so that each pair on a page
// keeps its own choice.
void pairRadios(QRadioButton *a, QRadioButton *b, QWidget *owner)
{
    auto *group = new QButtonGroup(owner);
    group->addButton(a);
    group->addButton(b);
}

QStringList headingTexts(const QTableWidget *grid)
{
    QStringList texts;
    for (int c = 0; c < grid->columnCount(); ++c)
        if (!grid->isColumnHidden(c))
            texts << (grid->horizontalHeaderItem(c) ? grid->horizontalHeaderItem(c)->text() : QString());
    return texts;
}

constexpr const char *kStandBy = "Re-building list ... stand by";
constexpr const char *kNoBlacklist = "Could not locate the known spammer blacklist!";

} // namespace

std::vector<std::string> mailboxLines(const ServerSettings &servers)
{
    std::vector<std::string> lines;
    for (int n = 1; n <= kMailboxCount; ++n) {
        const MailboxAccount &account = servers.account(n);
        if (account.configured())
            lines.push_back(std::to_string(n) + ") " + account.userName + " - server " + account.server);
    }
    return lines;
}

TfrmOptionsMain::TfrmOptionsMain(SpamSettingsModel &model, KnownSpammers &knownSpammers,
                                 std::function<void()> showHelp, QWidget *parent)
    : QDialog(parent)
    , PageControl1(new QTabWidget(this))
    , m_model(model)
    , m_knownSpammers(knownSpammers)
    , m_showHelp(std::move(showHelp))
{
    setObjectName(QStringLiteral("frmOptionsMain"));
    setWindowTitle(QStringLiteral("Spam Settings"));
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    SetUpPrinter = [this](QPrinter &printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };

    // On a small screen a page scrolls; the tabs and the buttons stay in view.
    PageControl1->addTab(scrollingPage(makeRuleTab(RuleKind::Subject, gridSubject)), QStringLiteral("Subject"));
    PageControl1->addTab(scrollingPage(makeRuleTab(RuleKind::Header, gridHeader)), QStringLiteral("Headers"));
    PageControl1->addTab(scrollingPage(makeRuleTab(RuleKind::Sender, gridFrom)), QStringLiteral("Sender"));
    PageControl1->addTab(scrollingPage(makeSizeTab()), QStringLiteral("Size"));
    PageControl1->addTab(scrollingPage(makeRuleTab(RuleKind::Exception, gridExcept)), QStringLiteral("Exceptions"));
    PageControl1->addTab(scrollingPage(makeBlackListTab()), QStringLiteral("BlackList"));
    PageControl1->addTab(scrollingPage(makeValidTab()), QStringLiteral("Valid Domains"));
    PageControl1->addTab(scrollingPage(makeAsciiTab()), QStringLiteral("Non-English"));
    PageControl1->addTab(scrollingPage(makeLearnedTab()), QStringLiteral("Learned score"));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton *help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    ok->setObjectName(QStringLiteral("btOK"));
    cancel->setObjectName(QStringLiteral("btCancel"));
    help->setObjectName(QStringLiteral("btHelp"));
    connect(ok, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(cancel, &QPushButton::clicked, this, [this] { btCancelClick(); });
    connect(help, &QPushButton::clicked, this, [this] {
        if (m_showHelp)
            m_showHelp();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(buttons);

    for (RuleKind kind : {RuleKind::Subject, RuleKind::Header, RuleKind::Sender, RuleKind::Exception}) {
        const std::array<int, kRuleGridColumns> stored = readRuleGridWidths(ruleGridOf(kind));
        const std::array<int, kRuleGridColumns> design = designWidths(ruleGridOf(kind));
        const QStringList headings = headingTexts(grid(kind));
        std::vector<int> widths;
        for (size_t c = 0; c < stored.size(); ++c) {
            // A design width never clips its heading; a width the user chose is kept as it is.
            const int headingWidth = fontMetrics().horizontalAdvance(headings.value(int(c))) + 16;
            widths.push_back(stored[c] >= 0 ? stored[c] : std::max(design[c], headingWidth));
        }
        grid(kind)->setVisibleWidths(widths);
    }
    PageControl1->setCurrentIndex(0);
    resize(780, 520);
    FormShow();
}

TfrmOptionsMain::~TfrmOptionsMain()
{
    for (RuleKind kind : {RuleKind::Subject, RuleKind::Header, RuleKind::Sender, RuleKind::Exception}) {
        try {
            saveRuleGridWidths(ruleGridOf(kind), grid(kind)->visibleWidths());
        } catch (const std::exception &) {
            // The widths are a convenience; an unwritable registry at exit loses only them.
        }
    }
}

QWidget *TfrmOptionsMain::makeRuleTab(RuleKind kind, RuleGridView *&gridMember)
{
    static const char *const kNames[4][7] = {
        {"btAddSubject", "btDelSubject", "btEditSubject", "btPrintSubject", "btImport", "btUpSubject", "btDownSubject"},
        {"btAddFrom", "btDelFrom", "btEditFrom", "btPrintFrom", "", "btUpFrom", "btDownFrom"},
        {"btAddHeader", "btDeleteHeader", "btEditHeader", "btPrintHeader", "", "btUpHeader", "btDownHeader"},
        {"btAddExcept", "btDelExcept", "btEditExcept", "btPrintExcept", "btImportExceptions", "btUpExcept",
         "btDownExcept"}};
    // Row of kNames by kind (the table is in RuleKind order).
    const char *const *names = kNames[size_t(kind)];
    static const char *const kGridNames[4] = {"gridSubject", "gridFrom", "gridHeader", "gridExcept"};
    static const char *const kCountNames[4] = {"lblSubjectCount", "lblFromCount", "lblHeaderCount", "lblExceptCount"};

    auto *page = new QWidget(this);
    gridMember = new RuleGridView(kind, m_model.rules.table(kind), page);
    gridMember->setObjectName(QLatin1String(kGridNames[size_t(kind)]));
    static const char *const kGridTitles[4] = {"Subject rules", "Sender rules", "Header rules", "Exceptions"};
    gridMember->setAccessibleName(QString::fromLatin1(kGridTitles[size_t(kind)]));
    gridMember->setAccessibleDescription(QStringLiteral("One rule a row, tried from the top; the first column's "
                                                        "picture is the mark the rule gives."));
    RuleTab &tab = m_tabs[size_t(kind)];
    tab.grid = gridMember;
    tab.count = new QLabel(page);
    tab.count->setObjectName(QLatin1String(kCountNames[size_t(kind)]));

    auto *side = new QVBoxLayout;
    QPushButton *insert = button(QStringLiteral("&Insert"), names[0], page);
    QPushButton *del = button(QStringLiteral("&Delete"), names[1], page);
    QPushButton *edit = button(QStringLiteral("&Edit"), names[2], page);
    QPushButton *print = button(QStringLiteral("&Print"), names[3], page);
    QPushButton *up = button(QString(), names[5], page);
    QPushButton *down = button(QString(), names[6], page);
    up->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    down->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    up->setToolTip(QStringLiteral("Move the rule up"));
    down->setToolTip(QStringLiteral("Move the rule down"));
    // Arrow pictures only: the words are for screen readers.
    up->setAccessibleName(up->toolTip());
    down->setAccessibleName(down->toolTip());
    up->setAccessibleDescription(QStringLiteral("Rules are tried from the top; this one moves one place earlier."));
    down->setAccessibleDescription(QStringLiteral("Rules are tried from the top; this one moves one place later."));
    for (QPushButton *b : {insert, del, edit, print})
        side->addWidget(b);
    if (*names[4]) {
        QPushButton *import = button(QStringLiteral("I&mport"), names[4], page);
        side->addWidget(import);
        connect(import, &QPushButton::clicked, this, [this, kind] { importRules(kind); });
    }
    auto *arrows = new QHBoxLayout;
    arrows->addWidget(up);
    arrows->addWidget(down);
    side->addLayout(arrows);
    side->addStretch(1);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("Rules:"), page));
    countRow->addWidget(tab.count, 1);
    side->addLayout(countRow);

    connect(insert, &QPushButton::clicked, this, [this, kind] { insertRule(kind); });
    connect(del, &QPushButton::clicked, this, [this, kind] { deleteRule(kind); });
    connect(edit, &QPushButton::clicked, this, [this, kind] { editRule(kind); });
    connect(print, &QPushButton::clicked, this, [this, kind] { printRules(kind); });
    connect(up, &QPushButton::clicked, this, [this, kind] { btUpSubjectClick(kind); });
    connect(down, &QPushButton::clicked, this, [this, kind] { btDownSubjectClick(kind); });
    gridMember->onDeleteKey = [this, kind] {
        RuleTable &table = m_model.rules.table(kind);
        if (table.RowCount() > 2)
            deleteRule(kind);
    };
    gridMember->onEditRequest = [this, kind] { editRule(kind); };

    auto *layout = new QHBoxLayout(page);
    layout->addWidget(gridMember, 1);
    layout->addLayout(side);
    return page;
}

QWidget *TfrmOptionsMain::makeSizeTab()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto makeGroup = [&](QCheckBox *&box, const QString &text, const char *boxName, QSpinBox *&field,
                         const char *fieldName, int maximum, int step, QRadioButton *&check, const char *checkName,
                         QRadioButton *&question, const char *questionName) {
        box = new QCheckBox(text, page);
        box->setObjectName(QLatin1String(boxName));
        field = new QSpinBox(page);
        field->setObjectName(QLatin1String(fieldName));
        field->setAccessibleName(text); // the size the box speaks of
        field->setRange(0, maximum);
        field->setSingleStep(step);
        field->setMinimumWidth(110);
        check = new QRadioButton(QStringLiteral("check mark"), page);
        check->setObjectName(QLatin1String(checkName));
        question = new QRadioButton(QStringLiteral("question"), page);
        question->setObjectName(QLatin1String(questionName));
        check->setIcon(QIcon(QStringLiteral(":/pictures/B0.png")));
        question->setIcon(QIcon(QStringLiteral(":/pictures/B1.png")));
        pairRadios(check, question, page);
        auto *group = new QGridLayout;
        group->addWidget(box, 0, 0, 1, 4);
        group->setColumnMinimumWidth(0, 20);
        group->addWidget(field, 1, 1);
        group->addWidget(new QLabel(QStringLiteral("bytes, "), page), 1, 2);
        group->addWidget(new QLabel(QStringLiteral("then mark the message with a"), page), 1, 3);
        group->addWidget(check, 2, 1);
        group->addWidget(question, 2, 2, 1, 2);
        group->setColumnStretch(4, 1);
        layout->addLayout(group);
        layout->addSpacing(12);
        connect(box, &QCheckBox::toggled, this, [this] { updateEnabling(); });
    };
    makeGroup(cbSmaller, QStringLiteral("If the message size is smaller than"), "cbSmaller", nSmaller, "nSmaller", 100000,
              1, rbSmallerCheck, "rbSmallerCheck", rbSmallerQuestion, "rbSmallerQuestion");
    makeGroup(cbLarger, QStringLiteral("If the message size is larger than"), "cbLarger", nLarger, "nLarger", 99999999,
              100, rbLargerCheck, "rbLargerCheck", rbLargerQuestion, "rbLargerQuestion");
    auto *note = new QLabel(QStringLiteral("Note: Only messages with a check mark will be deleted.  The question mark is "
                                           "to notify you of a potential spam message to delete."),
                            page);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
    return page;
}

QWidget *TfrmOptionsMain::makeBlackListTab()
{
    auto *page = new QWidget(this);
    cbKnownSpammers = new QCheckBox(
        QStringLiteral("Compare e-mail with this list of known spammers. Will be marked with :"), page);
    cbKnownSpammers->setObjectName(QStringLiteral("cbKnownSpammers"));
    memo1 = new QPlainTextEdit(page);
    memo1->setObjectName(QStringLiteral("memo1"));
    memo1->setAccessibleName(QStringLiteral("Known spammers list"));
    memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    btEdit = button(QStringLiteral("&Edit"), "btEdit", page);
    btSaveChanges = button(QStringLiteral("&Save"), "btSaveChanges", page);
    btCancelChanges = button(QStringLiteral("Cancel"), "btCancelChanges", page);
    lblSpamCount = new QLabel(page);
    lblSpamCount->setObjectName(QStringLiteral("lblSpamCount"));
    pnlSorting = new QLabel(page);
    pnlSorting->setObjectName(QStringLiteral("pnlSorting"));
    pnlSorting->setAlignment(Qt::AlignCenter);
    pnlSorting->setFrameShape(QFrame::Panel);
    pnlSorting->setWordWrap(true);
    pnlSorting->hide();
    connect(btEdit, &QPushButton::clicked, this, [this] { btEditClick(); });
    connect(btSaveChanges, &QPushButton::clicked, this, [this] { btSaveChangesClick(); });
    connect(btCancelChanges, &QPushButton::clicked, this, [this] { btCancelChangesClick(); });
    connect(memo1, &QPlainTextEdit::textChanged, this, [this] {
        lblSpamCount->setText(QString::number(memo1->document()->blockCount()));
    });

    auto *side = new QVBoxLayout;
    side->addWidget(btEdit);
    side->addWidget(btSaveChanges);
    side->addWidget(btCancelChanges);
    side->addStretch(1);
    side->addWidget(new QLabel(QStringLiteral("Spammers"), page));
    side->addWidget(lblSpamCount);
    auto *middle = new QVBoxLayout;
    middle->addWidget(memo1, 1);
    middle->addWidget(pnlSorting);
    auto *row = new QHBoxLayout;
    row->addLayout(middle, 1);
    row->addLayout(side);
    auto *layout = new QVBoxLayout(page);
    auto *switchRow = new QHBoxLayout;
    auto *checkPicture = new QLabel(page);
    checkPicture->setPixmap(QIcon(QStringLiteral(":/pictures/B0.png")).pixmap(16, 16));
    switchRow->addWidget(cbKnownSpammers);
    switchRow->addWidget(checkPicture);
    switchRow->addStretch(1);
    layout->addLayout(switchRow);
    layout->addLayout(row, 1);
    setBlacklistEditing(false);
    return page;
}

QWidget *TfrmOptionsMain::makeValidTab()
{
    auto *page = new QWidget(this);
    cbValid = new QCheckBox(QStringLiteral("Check for valid domain names within the senders e-mail address?"), page);
    cbValid->setObjectName(QStringLiteral("cbValid"));
    pnlValid = new QWidget(page);
    pnlValid->setObjectName(QStringLiteral("pnlValid"));
    rbCheck = new QRadioButton(QStringLiteral("&check mark"), pnlValid);
    rbCheck->setObjectName(QStringLiteral("rbCheck"));
    rbQuestion = new QRadioButton(QStringLiteral("&question mark"), pnlValid);
    rbQuestion->setObjectName(QStringLiteral("rbQuestion"));
    rbCheck->setIcon(QIcon(QStringLiteral(":/pictures/B0.png")));
    rbQuestion->setIcon(QIcon(QStringLiteral(":/pictures/B1.png")));
    edUnknown = new QLineEdit(pnlValid);
    edUnknown->setObjectName(QStringLiteral("edUnknown"));
    edUnknown->setAccessibleName(QStringLiteral("Domains never tested"));
    edUnknown->setReadOnly(true);
    edUnknown->setMaximumWidth(90);
    edUnknown->setAlignment(Qt::AlignRight);
    QPushButton *clear = button(QStringLiteral("Reset counter"), "btClear", pnlValid);
    connect(clear, &QPushButton::clicked, this, [this] { btClearClick(); });
    connect(cbValid, &QCheckBox::toggled, this, [this] { updateEnabling(); });

    auto *panel = new QGridLayout(pnlValid);
    panel->addWidget(new QLabel(QStringLiteral("If the domain name is invalid or unknown mark the message with:"),
                                pnlValid),
                     0, 0, 1, 3);
    panel->addWidget(rbCheck, 1, 0);
    panel->addWidget(rbQuestion, 2, 0);
    panel->addWidget(edUnknown, 3, 0);
    panel->addWidget(new QLabel(QStringLiteral("unknown domains have been detected"), pnlValid), 3, 1);
    panel->addWidget(clear, 4, 0);
    panel->setColumnStretch(2, 1);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(cbValid);
    layout->addWidget(pnlValid);
    layout->addStretch(1);
    return page;
}

QWidget *TfrmOptionsMain::makeAsciiTab()
{
    auto *page = new QWidget(this);
    cbAscii = new QCheckBox(QStringLiteral("Check for non-English characters within the subject and sender fields?"), page);
    cbAscii->setObjectName(QStringLiteral("cbAscii"));
    pnlAscii = new QWidget(page);
    pnlAscii->setObjectName(QStringLiteral("pnlAscii"));
    rbAsciiCheck = new QRadioButton(QStringLiteral("&check mark"), pnlAscii);
    rbAsciiCheck->setObjectName(QStringLiteral("rbAsciiCheck"));
    rbAsciiQuestion = new QRadioButton(QStringLiteral("&question mark"), pnlAscii);
    rbAsciiQuestion->setObjectName(QStringLiteral("rbAsciiQuestion"));
    rbAsciiCheck->setIcon(QIcon(QStringLiteral(":/pictures/B0.png")));
    rbAsciiQuestion->setIcon(QIcon(QStringLiteral(":/pictures/B1.png")));
    edAscii = new QLineEdit(pnlAscii);
    edAscii->setObjectName(QStringLiteral("edAscii"));
    edAscii->setAccessibleName(QStringLiteral("Share of non-English characters"));
    edAscii->setReadOnly(true);
    edAscii->setMaximumWidth(90);
    edAscii->setAlignment(Qt::AlignRight);
    QPushButton *reset = button(QStringLiteral("Reset counter"), "btAsciiReset", pnlAscii);
    QPushButton *sensitivity = button(QStringLiteral("Set sensitivity"), "btAscii", pnlAscii);
    connect(reset, &QPushButton::clicked, this, [this] { btAsciiResetClick(); });
    connect(sensitivity, &QPushButton::clicked, this, [this] { btAsciiClick(); });
    connect(cbAscii, &QCheckBox::toggled, this, [this] { updateEnabling(); });

    auto *panel = new QGridLayout(pnlAscii);
    panel->addWidget(new QLabel(QStringLiteral("If NON-ENGLISH characters are found, mark the message with:"), pnlAscii),
                     0, 0, 1, 3);
    panel->addWidget(rbAsciiCheck, 1, 0);
    panel->addWidget(rbAsciiQuestion, 2, 0);
    panel->addWidget(edAscii, 3, 0);
    panel->addWidget(new QLabel(QStringLiteral("messages with non-English characters detected"), pnlAscii), 3, 1);
    panel->addWidget(reset, 4, 0);
    panel->addWidget(sensitivity, 5, 0);
    panel->setColumnStretch(2, 1);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(cbAscii);
    layout->addWidget(pnlAscii);
    layout->addStretch(1);
    return page;
}

// ---- Model and controls ------------------------------------------------------

void TfrmOptionsMain::loadControls()
{
    const SpamTestSettings &t = m_model.tests;
    cbSmaller->setChecked(t.cbSmaller);
    nSmaller->setValue(t.nSmaller);
    (t.rbSmallerCheck ? rbSmallerCheck : rbSmallerQuestion)->setChecked(true);
    cbLarger->setChecked(t.cbLarger);
    nLarger->setValue(t.nLarger);
    (t.rbLargerCheck ? rbLargerCheck : rbLargerQuestion)->setChecked(true);
    cbKnownSpammers->setChecked(t.cbKnownSpammers);
    cbValid->setChecked(t.cbValid);
    (t.rbCheck ? rbCheck : rbQuestion)->setChecked(true);
    edUnknown->setText(toDisplay(t.edUnknown));
    cbAscii->setChecked(t.cbAscii);
    (t.rbAsciiCheck ? rbAsciiCheck : rbAsciiQuestion)->setChecked(true);
    edAscii->setText(toDisplay(t.edAscii));
    cbLearned->setChecked(t.cbLearned);
    nLearnedCutoff->setValue(learnedCutoff(t));
    (t.rbLearnedCheck ? rbLearnedCheck : rbLearnedQuestion)->setChecked(true);
    updateEnabling();
}

void TfrmOptionsMain::storeControls()
{
    SpamTestSettings &t = m_model.tests;
    t.cbSmaller = cbSmaller->isChecked();
    t.nSmaller = nSmaller->value();
    t.rbSmallerCheck = rbSmallerCheck->isChecked();
    t.cbLarger = cbLarger->isChecked();
    t.nLarger = nLarger->value();
    t.rbLargerCheck = rbLargerCheck->isChecked();
    t.cbKnownSpammers = cbKnownSpammers->isChecked();
    t.cbValid = cbValid->isChecked();
    t.rbCheck = rbCheck->isChecked();
    t.edUnknown = fromDisplay(edUnknown->text());
    t.cbAscii = cbAscii->isChecked();
    t.rbAsciiCheck = rbAsciiCheck->isChecked();
    t.edAscii = fromDisplay(edAscii->text());
    t.cbLearned = cbLearned->isChecked();
    // A cutoff left as it was keeps its stored text.
    if (nLearnedCutoff->value() != learnedCutoff(t))
        t.edLearnedCutoff = scoreText(nLearnedCutoff->value());
    t.rbLearnedCheck = rbLearnedCheck->isChecked();
}

void TfrmOptionsMain::updateEnabling()
{
    for (QWidget *w : std::initializer_list<QWidget *>{nSmaller, rbSmallerCheck, rbSmallerQuestion})
        w->setEnabled(cbSmaller->isChecked());
    for (QWidget *w : std::initializer_list<QWidget *>{nLarger, rbLargerCheck, rbLargerQuestion})
        w->setEnabled(cbLarger->isChecked());
    pnlValid->setVisible(cbValid->isChecked());
    pnlAscii->setVisible(cbAscii->isChecked());
    pnlLearned->setVisible(cbLearned->isChecked());
}

void TfrmOptionsMain::refreshGrids()
{
    for (const RuleTab &tab : m_tabs)
        tab.grid->refresh();
    updateCounts();
}

void TfrmOptionsMain::updateCounts()
{
    for (size_t k = 0; k < m_tabs.size(); ++k)
        m_tabs[k].count->setText(QString::number(m_model.rules.table(RuleKind(k)).RowCount() - 1));
    lblSpamCount->setText(QString::number(memo1->document()->blockCount()));
}

void TfrmOptionsMain::FormShow()
{
    loadBlacklist();
    loadControls();
    refreshGrids();
    updateLearnedCounts();
}

void TfrmOptionsMain::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfrmOptionsMain::readSettings()
{
    try {
        m_model.readSettings();
    } catch (const std::exception &e) {
        Prompts::current().error(e.what());
    }
    loadControls();
    refreshGrids();
}

bool TfrmOptionsMain::Savesettings()
{
    storeControls();
    try {
        m_model.Savesettings();
    } catch (const std::exception &e) {
        Prompts::current().error(e.what());
        return false;
    }
    return true;
}

void TfrmOptionsMain::btOKClick()
{
    for (RuleKind kind : {RuleKind::Subject, RuleKind::Header, RuleKind::Sender, RuleKind::Exception})
        DeleteDupsFromGrid(kind, m_model.rules.table(kind));
    refreshGrids();
    if (!Savesettings())
        return; // the window stays open so that nothing is lost
    if (btSaveChanges->isEnabled())
        btSaveChangesClick();
    accept();
}

void TfrmOptionsMain::btCancelClick() { reject(); }

void TfrmOptionsMain::reject()
{
    readSettings();
    if (btCancelChanges->isEnabled())
        btCancelChangesClick();
    QDialog::reject();
}

// ---- Counters ----------------------------------------------------------------

void TfrmOptionsMain::btClearClick()
{
    if (Prompts::current().yesNo("Really clear out unknown count?"))
        edUnknown->setText(QStringLiteral("0"));
}

void TfrmOptionsMain::btAsciiResetClick()
{
    if (Prompts::current().yesNo("Really clear out Non-English count?"))
        edAscii->setText(QStringLiteral("0"));
}

// ---- Blacklist ---------------------------------------------------------------

std::string TfrmOptionsMain::blacklistPath() const { return programFolder() + "/known.lst"; }

void TfrmOptionsMain::setBlacklistEditing(bool editing)
{
    memo1->setReadOnly(!editing);
    QPalette palette = memo1->palette();
    palette.setColor(QPalette::Base, editing ? QColor(Qt::white) : palette.color(QPalette::Window));
    memo1->setPalette(palette);
    btSaveChanges->setEnabled(editing);
    btCancelChanges->setEnabled(editing);
    btEdit->setEnabled(!editing);
}

void TfrmOptionsMain::loadBlacklist()
{
    if (btSaveChanges->isEnabled())
        return; // unsaved edits stay until the user saves or cancels them
    const std::optional<std::string> bytes = readWholeFile(blacklistPath());
    const bool present = bytes.has_value();
    for (QPushButton *b : {btEdit, btSaveChanges, btCancelChanges})
        b->setVisible(present);
    if (!present) {
        memo1->clear();
        pnlSorting->setText(QLatin1String(kNoBlacklist));
        pnlSorting->show();
        return;
    }
    pnlSorting->hide();
    QString text = toDisplay(*bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    memo1->setPlainText(text);
    setBlacklistEditing(false);
    updateCounts();
}

void TfrmOptionsMain::btEditClick()
{
    setBlacklistEditing(true);
    memo1->setFocus();
}

void TfrmOptionsMain::btCancelChangesClick()
{
    setBlacklistEditing(false);
    loadBlacklist();
}

void TfrmOptionsMain::btSaveChangesClick() { saveBlacklist(); }

void TfrmOptionsMain::saveBlacklist()
{
    const int scroll = memo1->verticalScrollBar()->value();
    pnlSorting->setText(QLatin1String(kStandBy));
    pnlSorting->show();
    processPendingEvents();
    std::string why;
    std::string edited = fromDisplay(memo1->toPlainText());
    const bool written = m_knownSpammers.rebuild(edited, blacklistPath(), &why);
    pnlSorting->hide();
    if (!written) {
        Prompts::current().error(why);
        return; // the edits stay in the editor so that they can be saved again
    }
    setBlacklistEditing(false);
    loadBlacklist();
    memo1->verticalScrollBar()->setValue(scroll);
}

} // namespace tw
