// The deletion run: deletes the check-marked and blacklisted messages on the
// server, logs and counts the ones the server really removed, lists the
// mailbox again and, when so chosen, starts the mail program.

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/prompts.h"
#include "platform/settings_files.h"
#include "runs/kept_copies.h"
#include "runs/run_texts.h"
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

void TfrmMain::logUnconfirmedDeletions()
{
    activityLog.setPath(m_general.general.Logfile);
    const int messagesNamed = PendingDeletionRecord().logUnconfirmed(activityLog);
    if (messagesNamed > 0)
        setStatus(std::to_string(messagesNamed) +
                  " message(s) may have been deleted by a deletion run that did not finish; see the activity log");
}

int TfrmMain::reportKeptMessages(const std::vector<TDeletionRun::RemovedMessage> &deleted)
{
    const std::vector<std::string> held = stillHeld(deleted, mailSession().listed());
    if (held.empty())
        return 0;
    std::string list;
    for (const std::string &subject : held)
        list += "\n" + subject;
    activityLog.setPath(m_general.general.Logfile);
    activityLog.logError("The server accepted the deletion of " + std::to_string(held.size()) +
                             " message(s) but still holds them", mailClient().UserName, loggedServer(mailSession()));
    if (visibleOrManual())
        Prompts::current().warning("The server answered that it deleted these messages, but it still holds them:" +
                                   list + "\nThe activity log lists them as deleted; they are not counted as deleted spam.");
    return int(held.size());
}

void TfrmMain::noteRemovalNotice()
{
    const std::string notice = mailSession().removalNotice();
    if (notice.empty())
        return;
    activityLog.setPath(m_general.general.Logfile);
    activityLog.logWarning(notice, mailClient().UserName, loggedServer(mailSession()));
    if (visibleOrManual())
        Prompts::current().warning(notice);
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
    // An IMAP mailbox moves its junk to the junk folder unless told to delete it.
    const int moved = m_loadedProtocol == MailProtocol::IMAP && !m_loadedAccount.imapDelete ? marked : 0;
    const std::string question = deletionQuestion(marked - moved, moved);
    if (!automatic && m_general.general.Ask &&
        !Prompts::current().yesNo(keepingCopies() ? question + "\n\n" + keptCopiesNote() : question))
        return;
    // 4.-7.
    TDeletionRun run(mailSession(), messages, activityLog);
    const std::vector<int> flagged = run.markedRows();
    const std::unique_ptr<DeletionCopyBatch> copies = prepareDeletionCopies(flagged);
    // After the transfer, also a failed one: an IMAP move is noted in the
    // rows of the copies, copies of messages that were not deleted go
    // again, the ones that could not be kept are reported, and the folder
    // is held to its bounds.
    const auto settleCopies = [&] {
        if (!copies)
            return;
        std::string why;
        if (!recordMovesInCopies(*copies, mailSession(), &why))
            activityLog.logError("Deleted mail does not record where the moved messages went: " + why,
                                 mailClient().UserName, loggedServer(mailSession()));
        copies->settle(run.possiblyRemovedRows());
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

    // 8. The deletions are logged and counted once the session has ended
    // (TDeletionRun keeps a record of them meanwhile).
    m_errorLogged = false;
    try {
        run.transfer(flagged, copies.get());
    } catch (const ETidewellError &error) {
        logFailure(error);
        closeQuietly();
        // The removals under way may have happened: each is found out or logged as such.
        run.settleFailure();
        settleCopies();
        forgetRefusedToken(error);
        activityLog.CloseLogFile();
        enableAllButtons();
        setRunningState(false);
        hideProgress();
        if (visibleOrManual()) {
            showRemoteError(error);
            if (!run.failureSummary().empty())
                Prompts::current().warning(run.failureSummary());
        }
        return;
    }
    run.logDeletions();
    const std::vector<TDeletionRun::RemovedMessage> deleted = run.removedMessages();
    settleCopies();
    // 9. The log holds the deletions now: the record has done its work.
    activityLog.CloseLogFile();
    run.confirm();
    if (!run.skippedRows().empty() && visibleOrManual())
        Prompts::current().warning(skippedText(messages, run.skippedRows()));
    noteRemovalNotice();
    // Only a run the user started teaches the learned score what spam is.
    learnFromListLeft(run.deletedRows(), !passRunning);
    saveLearnedScore();
    // 11.-12. The list always shows what is left on the server, also when
    // the mail program is started next; that program can log in only when
    // this listing keeps no session open.
    const bool launch =
        marked < total && visibleOrManual() && m_general.general.Launch && !isBlank(m_general.general.Mailer);
    messages.clear();
    ListView1->showAll();
    showProgress("Retrieving messages ... standby");
    const bool stayConnected = mailSession().stayConnected();
    mailSession().setStayConnected(stayConnected && !launch);
    listMailbox();
    mailSession().setStayConnected(stayConnected);
    // 10. Counted once the listing has shown which deletions the server really made.
    // Messages an IMAP server could only mark as deleted are still listed;
    // the warning above said so already.
    const int deletedCount =
        int(deleted.size()) - (mailSession().removalNotice().empty() ? reportKeptMessages(deleted) : 0);
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
