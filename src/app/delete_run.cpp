// The deletion run: deletes the check-marked and blacklisted messages on the
// server, logs and counts the ones the server really removed, lists the
// mailbox again and, when so chosen, starts the mail program.

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/prompts.h"
#include "platform/settings_files.h"
#include "stats/deletion_record.h"

namespace tw {

void TfrmMain::btDeleteClick()
{
    if (deleteBusy)
        return;
    deleteBusy = true;
    playAlarmSound(false);
    TimerPool1.setActive(minuteTrigger, false);
    DeleteMessages();
    deleteBusy = false;
    UpdateAutomaticCaptions(m_general.general.Automatic, m_general.general.Minutes);
}

void TfrmMain::msRemotePOP1Deleting(int index)
{
    const std::string subject = index < messages.count() ? messages.row(index).subject : std::string();
    if (m_progress) {
        m_progress->setMessage("Deleting " + subject);
        m_progress->setProgress(markedTotal, deletionCounter);
    }
    ++deletionCounter;
    setStatus("Deleting " + std::to_string(index + 1) + " " + subject);
}

static std::string skippedText(const WaitingMessages &messages, const std::vector<int> &rows)
{
    std::string text = "These messages were not deleted because the mailbox changed after it was listed "
                       "(another mail program may have fetched or deleted mail):";
    for (int row : rows)
        text += "\n" + std::to_string(row + 1) + ". " + (row < messages.count() ? messages.row(row).subject : "");
    return text + "\nCheck the mailbox again to see what it holds now.";
}

std::vector<DeletedMessageEntry> TfrmMain::deletedEntries() const
{
    std::vector<DeletedMessageEntry> entries;
    for (int row : m_deletedRows)
        if (row < messages.count()) {
            const TWaitingMessage &m = messages.row(row);
            entries.push_back({msRemotePOP1.Server, msRemotePOP1.UserName, m.subject, m.senderAddress, m.senderName,
                               m.sizeText, m.dateText});
        }
    return entries;
}

void TfrmMain::recordPendingDeletions()
{
    if (m_deletedRows.empty())
        return;
    PendingDeletionRecord record;
    std::string why;
    if (!record.write(deletedEntries(), logTimeStamp(Clock::now()), &why))
        throw ETidewellError("Nothing was deleted: the record of the deletion could not be written to " +
                             record.path() + " (" + why + ")");
}

void TfrmMain::logUnconfirmedDeletions()
{
    activityLog.setPath(m_general.general.Logfile);
    const int messagesNamed = PendingDeletionRecord().logUnconfirmed(activityLog);
    if (messagesNamed > 0)
        setStatus(std::to_string(messagesNamed) +
                  " message(s) may have been deleted by a deletion run that did not finish; see the activity log");
}

int TfrmMain::reportKeptMessages(const std::vector<DeletedMessage> &deleted)
{
    std::string list;
    int kept = 0;
    for (const DeletedMessage &message : deleted)
        if (msRemotePOP1.RemoteInfo().Find(message.size, message.headers) >= 0) {
            list += "\n" + message.subject;
            ++kept;
        }
    if (kept == 0)
        return 0;
    activityLog.setPath(m_general.general.Logfile);
    activityLog.logError("The server accepted the deletion of " + std::to_string(kept) +
                             " message(s) but still holds them", msRemotePOP1.UserName, msRemotePOP1.Server);
    if (visibleOrManual())
        Prompts::current().warning("The server answered that it deleted these messages, but it still holds them:" +
                                   list + "\nThe activity log lists them as deleted; they are not counted as deleted spam.");
    return kept;
}

void TfrmMain::DeleteMessages()
{
    // 1.-3.
    const int marked = messages.markedCount();
    const int total = messages.count();
    const bool automatic = m_general.general.Automatic;
    if (marked == 0) {
        if (!automatic && m_general.general.Ask)
            Prompts::current().information("There were no messages marked to delete!");
        return;
    }
    const std::string question = "Really delete " + std::to_string(marked) + " messages from server?";
    if (!automatic && m_general.general.Ask &&
        !Prompts::current().yesNo(keepingCopies() ? question + "\n\n" + keptCopiesNote() : question))
        return;
    // 4.-7. Flags left by an earlier, failed run must not carry over.
    for (int i = 0; i < msRemotePOP1.RemoteInfo().Count(); ++i)
        msRemotePOP1.ClearFlags(i);
    std::vector<int> flagged;
    for (int i = 0; i < total && i < msRemotePOP1.RemoteInfo().Count(); ++i)
        if (isMarkedForDeletion(messages.row(i).mark)) {
            msRemotePOP1.FlagForDeletion(i);
            flagged.push_back(i);
        }
    const std::unique_ptr<DeletionCopyBatch> copies = prepareDeletionCopies(flagged);
    msRemotePOP1.DeletionCopies = copies.get();
    // The client never keeps pointing at the batch once this run is over,
    // however it ends.
    const std::unique_ptr<TmsRemotePOP, void (*)(TmsRemotePOP *)> forgetCopies(
        &msRemotePOP1, [](TmsRemotePOP *pop) { pop->DeletionCopies = nullptr; });
    // After the transfer, also a failed one: copies of messages that were
    // not deleted go again, the ones that could not be kept are reported,
    // and the folder is held to its bounds.
    const auto settleCopies = [&] {
        msRemotePOP1.DeletionCopies = nullptr;
        if (!copies)
            return;
        copies->settle(m_deletedRows);
        reportCopyFailures(*copies);
        expireKeptCopies();
    };
    markedTotal = marked;
    deletionCounter = 1;
    disableAllButtons();
    activityLog.setPath(m_general.general.Logfile);
    activityLog.OpenLogFile();
    setRunningState(true);
    showProgress("Deleting messages ... standby");

    // 8. The server removes deleted messages only when the session ends with
    // an accepted QUIT, so the deletions are logged and counted after that;
    // a record written just before the QUIT keeps them from going untraced.
    m_deletedRows.clear();
    m_skippedRows.clear();
    m_errorLogged = false;
    m_recordDeletions = true;
    try {
        msRemotePOP1.TransferData();
    } catch (const ETidewellError &error) {
        m_recordDeletions = false;
        logFailure(error);
        closeQuietly();
        // Broken off at or after the QUIT: the accepted deletions may have happened.
        PendingDeletionRecord().logUnconfirmed(activityLog);
        settleCopies();
        forgetRefusedToken(error);
        activityLog.CloseLogFile();
        enableAllButtons();
        setRunningState(false);
        hideProgress();
        if (visibleOrManual())
            showRemoteError(error);
        return;
    }
    m_recordDeletions = false;
    std::vector<DeletedMessage> deleted;
    for (const DeletedMessageEntry &entry : deletedEntries())
        activityLog.logDeletion(entry);
    for (int row : m_deletedRows)
        if (row < msRemotePOP1.RemoteInfo().Count() && row < messages.count())
            deleted.push_back({messages.row(row).subject, msRemotePOP1.RemoteInfo().Items(row).Size,
                               msRemotePOP1.RemoteInfo().Items(row).Headers});
    settleCopies();
    // 9. The log holds the deletions now: the record has done its work.
    activityLog.CloseLogFile();
    PendingDeletionRecord().confirm();
    if (!m_skippedRows.empty() && visibleOrManual())
        Prompts::current().warning(skippedText(messages, m_skippedRows));
    // Only a run the user started teaches the learned score what spam is.
    learnFromListLeft(m_deletedRows, !passRunning);
    saveLearnedScore();
    // 11.-12. The list always shows what is left on the server, also when
    // the mail program is started next; that program can log in only when
    // this listing keeps no session open.
    const bool launch =
        marked < total && visibleOrManual() && m_general.general.Launch && !isBlank(m_general.general.Mailer);
    messages.clear();
    ListView1->showAll();
    showProgress("Retrieving messages ... standby");
    const bool stayConnected = msRemotePOP1.StayConnected;
    msRemotePOP1.StayConnected = stayConnected && !launch;
    listMailbox();
    msRemotePOP1.StayConnected = stayConnected;
    // 10. Counted once the listing has shown which deletions the server really made.
    const int deletedCount = int(deleted.size()) - reportKeptMessages(deleted);
    m_general.addToSpamCount(deletedCount);
    try {
        SettingsWriteBatch saving; // the whole section in one write
        m_general.saveGeneral();
        saving.commit();
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
    // 13.-16.
    enableAllButtons();
    setRunningState(false);
    setStatus("There were " + std::to_string(deletedCount) + " messages deleted");
    trayIcon->setHint(std::to_string(deletedCount) + " spams deleted");
    updateCheckGlyph();
    hideProgress();
    // Without a mail program set there is nothing to start and nothing to say.
    if (launch)
        startMailProgram();
}

} // namespace tw
