#include "keep/ui/deleted_mail_window.h"

#include "keep/kept_move_back.h"
#include "keep/ui/deleted_mail_model.h"
#include "net/imap_mailbox_name.h"
#include "platform/bytes.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace tw {

namespace {

const char *const kOnlyOneMessage = "You have selected more than one message to view.  Only one message can be "
                                    "viewed at one time.  The first one selected will be displayed.";
constexpr size_t kMaxSuggestedName = 60;

// "512 KB", "3.4 MB": what the copies take.
QString amountOf(long long bytes)
{
    if (bytes < 1024 * 1024)
        return QString::number((bytes + 1023) / 1024) + QStringLiteral(" KB");
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

bool pathExists(const std::string &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Folder + "/" + Name, or with " (2)", " (3)" ... before the extension when
// a file of that name is there already.
std::string freePathIn(const std::string &folder, const std::string &name)
{
    const size_t dot = name.rfind('.');
    const std::string stem = name.substr(0, dot), extension = dot == std::string::npos ? "" : name.substr(dot);
    std::string path = folder + "/" + name;
    for (int n = 2; pathExists(path); ++n)
        path = folder + "/" + stem + " (" + std::to_string(n) + ")" + extension;
    return path;
}

} // namespace

std::string suggestedFileName(const std::string &subject)
{
    std::string name;
    for (char c : trimmed(subject)) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == ' ' || c == '-' || c == '_' || c == ',' || c == '(' || c == ')';
        if (name.size() < kMaxSuggestedName && (kept || (c == '.' && !name.empty())))
            name += c;
    }
    name = trimmed(name);
    return (name.empty() ? "message" : name) + ".eml";
}

TfrmDeletedMail::TfrmDeletedMail(const DeletedMailStore &store, DeletedMailCommands commands, QWidget *parent)
    : QDialog(parent), m_store(store), m_commands(std::move(commands)), m_model(new DeletedMailModel(this))
{
    setObjectName(QStringLiteral("frmDeletedMail"));
    setWindowTitle(QStringLiteral("Deleted mail"));
    buildControls();
    reload();
}

void TfrmDeletedMail::buildControls()
{
    const auto named = [](auto *widget, const char *name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    edSearch = named(new QLineEdit(this), "edSearch");
    edSearch->setAccessibleName(QStringLiteral("Search the deleted mail"));
    edSearch->setPlaceholderText(QStringLiteral("Search subject or sender"));
    edSearch->setClearButtonEnabled(true);

    lvDeleted = named(new QTableView(this), "lvDeleted");
    lvDeleted->setAccessibleName(QStringLiteral("Deleted messages kept"));
    lvDeleted->setModel(m_model);
    lvDeleted->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvDeleted->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvDeleted->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvDeleted->setSortingEnabled(true);
    lvDeleted->horizontalHeader()->setSortIndicator(DeletedMailModel::Deleted, Qt::DescendingOrder);
    lvDeleted->verticalHeader()->hide();
    // Rows of one height, measured once: the view then never asks every row.
    lvDeleted->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvDeleted->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    lvDeleted->setWordWrap(false);
    lvDeleted->setAlternatingRowColors(true);
    const int widths[DeletedMailModel::ColumnCount] = {170, 90, 250, 200, 100, 260};
    for (int column = 0; column < DeletedMailModel::ColumnCount; ++column)
        lvDeleted->setColumnWidth(column, widths[column]);
    lvDeleted->horizontalHeader()->setStretchLastSection(true);
    lvDeleted->setContextMenuPolicy(Qt::CustomContextMenu);

    lblStatus = named(new QLabel(this), "lblStatus");
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    btWhy = named(new QPushButton(QStringLiteral("&Why was this e-mail marked?"), this), "btWhy");
    btView = named(new QPushButton(QStringLiteral("&View"), this), "btView");
    btSaveAs = named(new QPushButton(QStringLiteral("&Save as..."), this), "btSaveAs");
    btOpen = named(new QPushButton(QStringLiteral("&Open in mail program"), this), "btOpen");
    btMoveBack = named(new QPushButton(QStringLiteral("Move &back to the inbox"), this), "btMoveBack");
    btMoveBack->setToolTip(QStringLiteral("Moves messages of IMAP mailboxes back from the Junk folder to the folder "
                                          "they were checked in."));
    btDeleteNow = named(new QPushButton(QStringLiteral("&Delete now"), this), "btDeleteNow");
    btClose = named(new QPushButton(QStringLiteral("Close"), this), "btClose");

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    const std::pair<QPushButton *, void (TfrmDeletedMail::*)()> commands[] = {
        {btWhy, &TfrmDeletedMail::btWhyClick},       {btView, &TfrmDeletedMail::btViewClick},
        {btSaveAs, &TfrmDeletedMail::btSaveAsClick}, {btOpen, &TfrmDeletedMail::btOpenClick},
        {btMoveBack, &TfrmDeletedMail::btMoveBackClick}, {btDeleteNow, &TfrmDeletedMail::btDeleteNowClick},
    };
    for (const auto &[button, command] : commands) {
        connect(button, &QPushButton::clicked, this, command);
        QAction *action = PopupMenu1->addAction(button->text(), this, command);
        action->setObjectName(button->objectName().replace(0, 2, QStringLiteral("ac")));
    }
    connect(btClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(lvDeleted, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (!selectedMessages().empty())
            PopupMenu1->popup(lvDeleted->viewport()->mapToGlobal(at));
    });
    connect(lvDeleted, &QTableView::doubleClicked, this, &TfrmDeletedMail::btViewClick);
    connect(lvDeleted->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmDeletedMail::updateCommands);
    connect(edSearch, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_model->setSearchText(text);
        updateStatus();
        updateCommands();
    });
    auto *deleteKey = new QShortcut(QKeySequence::Delete, lvDeleted);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &TfrmDeletedMail::btDeleteNowClick);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {btWhy, btView, btSaveAs, btOpen, btMoveBack, btDeleteNow})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(edSearch);
    layout->addWidget(lvDeleted, 1);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);
    resize(1000, 560);
    btClose->setDefault(false);
    btClose->setAutoDefault(false);
}

void TfrmDeletedMail::reload()
{
    m_model->setMessages(m_store.load());
    updateStatus();
    updateCommands();
}

void TfrmDeletedMail::updateStatus()
{
    QString text = QString::number(m_model->totalCount()) +
                   (m_model->totalCount() == 1 ? QStringLiteral(" message kept (") : QStringLiteral(" messages kept (")) +
                   amountOf(m_model->totalBytes()) + QStringLiteral(") in ") + toDisplay(m_store.folder());
    if (m_model->rowCount() != m_model->totalCount())
        text = QString::number(m_model->rowCount()) + QStringLiteral(" shown of ") + text;
    lblStatus->setText(text);
}

void TfrmDeletedMail::updateCommands()
{
    const bool any = lvDeleted->selectionModel()->hasSelection();
    for (QPushButton *button : {btWhy, btView, btSaveAs, btOpen, btDeleteNow})
        button->setEnabled(any);
    btMoveBack->setEnabled(any && m_commands.moveBack && selectionCanMoveBack());
    for (QAction *action : PopupMenu1->actions()) {
        const QString button = action->objectName().replace(0, 2, QStringLiteral("bt"));
        action->setEnabled(findChild<QPushButton *>(button)->isEnabled());
    }
}

bool TfrmDeletedMail::selectionCanMoveBack() const
{
    const QModelIndexList rows = lvDeleted->selectionModel()->selectedRows();
    return std::all_of(rows.begin(), rows.end(),
                       [this](const QModelIndex &row) { return canMoveBack(m_model->message(row.row())); });
}

std::vector<KeptMessage> TfrmDeletedMail::selectedMessages() const
{
    QModelIndexList rows = lvDeleted->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    std::vector<KeptMessage> messages;
    for (const QModelIndex &row : rows)
        messages.push_back(m_model->message(row.row()));
    return messages;
}

const KeptMessage *TfrmDeletedMail::firstSelected()
{
    QModelIndexList rows = lvDeleted->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return nullptr;
    if (rows.size() > 1)
        Prompts::current().information(kOnlyOneMessage);
    int first = rows.front().row();
    for (const QModelIndex &row : rows)
        first = std::min(first, row.row());
    return &m_model->message(first);
}

void TfrmDeletedMail::btWhyClick()
{
    std::vector<std::string> lines;
    for (const KeptMessage &message : selectedMessages()) {
        if (!lines.empty())
            lines.push_back({});
        lines.insert(lines.end(), message.why.begin(), message.why.end());
    }
    if (!lines.empty() && m_commands.showExplanation)
        m_commands.showExplanation(lines, this);
}

void TfrmDeletedMail::btViewClick()
{
    if (const KeptMessage *message = firstSelected(); message && m_commands.viewMessage)
        m_commands.viewMessage(m_store.pathOf(message->fileName), this);
}

bool TfrmDeletedMail::saveCopy(const KeptMessage &message, const std::string &path)
{
    std::string why = "the copy cannot be read";
    const std::optional<std::string> bytes = m_store.read(message.fileName);
    if (bytes && writeFileAtomically(path, *bytes, 0600, &why)) {
        if (m_commands.restored)
            m_commands.restored(message, *bytes);
        return true;
    }
    Prompts::current().error("Unable to save the message as " + path + ": " + why);
    return false;
}

void TfrmDeletedMail::btSaveAsClick()
{
    const std::vector<KeptMessage> messages = selectedMessages();
    if (messages.empty())
        return;
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(QDir::homePath());
    if (messages.size() == 1) {
        dialog.setWindowTitle(QStringLiteral("Save message as"));
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QStringLiteral("E-mail messages (*.eml)"));
        dialog.setDefaultSuffix(QStringLiteral("eml"));
        dialog.selectFile(toDisplay(suggestedFileName(messages.front().subject)));
    } else {
        dialog.setWindowTitle(QStringLiteral("Save the messages in folder"));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const std::string chosen = fromDisplay(dialog.selectedFiles().front());
    if (messages.size() == 1) {
        saveCopy(messages.front(), chosen);
        return;
    }
    for (const KeptMessage &message : messages)
        if (!saveCopy(message, freePathIn(chosen, suggestedFileName(message.subject))))
            return;
}

void TfrmDeletedMail::btOpenClick()
{
    const KeptMessage *message = firstSelected();
    if (!message)
        return;
    const std::string path = m_store.pathOf(message->fileName);
    const std::string mailer = m_commands.mailProgram ? trimmed(m_commands.mailProgram()) : std::string();
    bool handedOver = true;
    if (!mailer.empty()) {
        if (!(handedOver = Shell::current().startProgram(mailer, {path})))
            Prompts::current().error("Unable to launch mail program. ");
    } else if (!(handedOver = Shell::current().openDocument(path))) {
        Prompts::current().error("No program is set to open e-mail messages (" + path +
                                 "). Name your mail program in the general settings.");
    }
    if (handedOver && m_commands.restored)
        if (const std::optional<std::string> bytes = m_store.read(message->fileName))
            m_commands.restored(*message, *bytes);
}

void TfrmDeletedMail::btMoveBackClick()
{
    const std::vector<KeptMessage> messages = selectedMessages();
    if (messages.empty() || !m_commands.moveBack || !selectionCanMoveBack())
        return;
    // The servers may take a while; the window takes no second command meanwhile.
    setEnabled(false);
    lblStatus->setText(QStringLiteral("Moving back to the inbox..."));
    std::vector<MoveBackOutcome> outcomes;
    try {
        outcomes = m_commands.moveBack(messages);
    } catch (const std::exception &error) {
        outcomes.assign(messages.size(), MoveBackOutcome{false, error.what()});
    }
    setEnabled(true);
    outcomes.resize(messages.size(), MoveBackOutcome{false, "no answer came for it"});

    std::vector<std::string> movedNames;
    std::string failures;
    for (size_t i = 0; i < messages.size(); ++i) {
        const KeptMessage &message = messages[i];
        if (!outcomes[i].moved) {
            failures += "\n" + message.subject + " (" + outcomes[i].text + ")";
            continue;
        }
        movedNames.push_back(message.fileName);
        // Back in the mailbox means it was not junk, as a copy saved or opened.
        if (m_commands.restored)
            if (const std::optional<std::string> bytes = m_store.read(message.fileName))
                m_commands.restored(message, *bytes);
    }
    std::string why;
    if (!movedNames.empty() && !m_store.remove(movedNames, &why))
        Prompts::current().error("Unable to delete the kept copies in " + m_store.folder() + ": " + why);
    reload();

    const size_t failed = messages.size() - movedNames.size();
    if (failed == 0) {
        Prompts::current().information(
            messages.size() == 1
                ? "The message is back in " + imapMailboxDisplayName(messages.front().imapFolder) + "."
                : "The " + std::to_string(messages.size()) + " messages are back in the folders they were checked in.");
        return;
    }
    std::string text = failed == 1 ? "This message could not be moved back:" : "These messages could not be moved back:";
    text += failures;
    if (movedNames.size() == 1)
        text += "\nThe other message is back in the folder it was checked in.";
    else if (movedNames.size() > 1)
        text += "\nThe other " + std::to_string(movedNames.size()) +
                " messages are back in the folders they were checked in.";
    Prompts::current().warning(text);
}

void TfrmDeletedMail::btDeleteNowClick()
{
    const std::vector<KeptMessage> messages = selectedMessages();
    if (messages.empty())
        return;
    const std::string question =
        messages.size() == 1 ? std::string("Really delete the kept copy of this message for good?")
                             : "Really delete the kept copies of these " + std::to_string(messages.size()) +
                                   " messages for good?";
    if (!Prompts::current().yesNo(question + " It cannot be had back."))
        return;
    std::vector<std::string> names;
    for (const KeptMessage &message : messages)
        names.push_back(message.fileName);
    std::string why;
    if (!m_store.remove(names, &why))
        Prompts::current().error("Unable to delete the kept copies in " + m_store.folder() + ": " + why);
    reload();
}

} // namespace tw
