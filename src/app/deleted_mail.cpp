// TfrmMain: the safety net of the deletion run. Before a marked message is
// deleted a copy of it is kept in the deleted-mail folder; a message whose
// copy cannot be kept stays on the server. The copies expire by age and
// size at start-up and after every deletion run, and the "Deleted mail"
// window gives them back.

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "runs/run_texts.h"
#include "app/vheader.h"
#include "runs/kept_copies.h"
#include "runs/move_back.h"
#include "runs/unattended_sign_in.h"
#include "platform/bytes.h"
#include "settings/settings_store.h"
#include "keep/ui/deleted_mail_window.h"
#include "platform/clock.h"
#include "platform/prompts.h"

#include <QApplication>

namespace tw {

bool TfrmMain::keepingCopies() const { return m_general.general.KeepDeletedDays > 0; }

std::string TfrmMain::keptCopiesNote() const
{
    const int days = m_general.general.KeepDeletedDays;
    return "A copy of each is kept in Deleted mail for " + std::to_string(days) + (days == 1 ? " day." : " days.");
}

std::unique_ptr<DeletionCopyBatch> TfrmMain::prepareDeletionCopies(const std::vector<int> &flagged)
{
    if (!keepingCopies())
        return nullptr;
    // The explanations are part of the copies; working them out must not
    // count as detections of the non-English and unknown-domain tests.
    const SpamTestSettings counters = m_spam.tests;
    auto batch = prepareCopies(m_deletedMail, std::max(1LL, (long long)m_general.general.KeepDeletedMaxKB) * 1024,
                               mailSession(), messages, flagged, serverToIndex(),
                               [this](int row) { return explain(row); });
    m_spam.tests.edUnknown = counters.edUnknown;
    m_spam.tests.edAscii = counters.edAscii;
    batch->OnCopying = [this](int row) {
        const std::string subject = row < messages.count() ? messages.row(row).subject : std::string();
        if (m_progress)
            m_progress->setMessage("Keeping a copy of " + subject);
        setStatus("Keeping a copy of " + std::to_string(row + 1) + " " + subject);
    };
    return batch;
}

void TfrmMain::reportCopyFailures(const DeletionCopyBatch &batch)
{
    const std::vector<DeletionCopyBatch::Failure> failures = batch.failures();
    if (failures.empty())
        return;
    std::string text = "These messages were not deleted because no copy of them could be kept:";
    for (const DeletionCopyBatch::Failure &failure : failures) {
        const std::string subject = failure.num < messages.count() ? messages.row(failure.num).subject : "";
        activityLog.logError("Not deleted, as no copy of it could be kept (" + failure.reason + "): " + subject,
                             mailClient().UserName, loggedServer(mailSession()));
        text += "\n" + std::to_string(failure.num + 1) + ". " + subject + " (" + failure.reason + ")";
    }
    if (visibleOrManual())
        Prompts::current().warning(text + "\nThey are still on the server.");
}

void TfrmMain::expireKeptCopies()
{
    activityLog.setPath(m_general.general.Logfile);
    tw::expireKeptCopies(m_deletedMail, m_general.general, activityLog, Clock::nowQt().toSecsSinceEpoch());
}

std::string TfrmMain::prepareMoveBack(TmsImapClient &imap, const KeptMessage &first)
{
    int n = first.mailbox;
    if (n < 1 || n > kMailboxCount || !sameText(m_general.servers.account(n).server, first.server) ||
        !sameText(m_general.servers.account(n).userName, first.user))
        n = m_general.serverToIndex(first.server, first.user);
    if (n == 0)
        return "The mailbox " + first.user + " on " + first.server + " is no longer in the general settings.";
    const RemotePOPAccount account = readMailboxForRemotePOP(n, m_general.secrets, [] {});
    if (!account.loaded || account.protocol != int(MailProtocol::IMAP))
        return "Mailbox " + std::to_string(n) + " (" + first.user + ") is no longer an IMAP mailbox in the general settings.";
    const std::string problem = unattendedSecretProblem(n, account, m_general.secrets, SecretWantedBy::Window);
    if (!problem.empty())
        return problem;
    loadMailAccount(imap, account);
    imap.RAS = msRemoteIMAP1.RAS;
    signInUnattended(imap, n, account, m_general.secrets, [](const std::string &error) { Prompts::current().error(error); });
    return {};
}

void TfrmMain::openDeletedMailWindow()
{
    DeletedMailCommands commands;
    // A kept copy is decoded and shown as a downloaded message is.
    commands.viewMessage = [this](const std::string &path, QWidget *over) {
        std::optional<TShownMessage> shown = decodeForViewing(path);
        if (!exitAfterViewing() && shown)
            showMessageWindow(std::move(*shown), over);
    };
    commands.showExplanation = [](const std::vector<std::string> &lines, QWidget *over) {
        showTextWindow(TfrmViewHeader::Mode::Explanation, lines, over);
    };
    commands.mailProgram = [this] { return m_general.general.Mailer; };
    // A message the user takes back was not junk: the learned score unlearns it.
    commands.restored = [this](const KeptMessage &message, const std::string &bytes) {
        TmsHeaders headers;
        headers.SetText(bytes);
        headers.CutAtBody();
        learner.restoredFromKeptCopies(headers, message.server, message.user);
        saveLearnedScore();
    };
    // A kept IMAP message goes back over a session of its own mailbox.
    commands.moveBack = [this](const std::vector<KeptMessage> &kept) {
        std::vector<MoveBackOutcome> outcomes;
        for (const TMovedBack &result : moveKeptMessagesBack(kept, [this](TmsImapClient &imap, const KeptMessage &first) {
                 return prepareMoveBack(imap, first);
             }))
            outcomes.push_back({result.moved, result.text});
        return outcomes;
    };
    // Over the window in front (the general settings may have asked), or
    // on its own while the program lives in the tray.
    QWidget *front = QApplication::activeModalWidget();
    TfrmDeletedMail window(m_deletedMail, commands, front ? front : (isVisible() ? this : nullptr));
    window.exec();
}

void TfrmMain::DeletedMail1Click()
{
    // A deletion run writes the folder meanwhile; the list would be half made.
    if (runInProgress())
        return;
    TimerPool1.setActive(minuteTrigger, false);
    playAlarmSound(false);
    openDeletedMailWindow();
    afterDialog();
}

} // namespace tw
