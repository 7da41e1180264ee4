// The deletion run: deletes the check-marked and blacklisted messages on the
// server, logs and counts the ones the server really removed, and lists the
// mailbox again (or starts the mail program).

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "platform/prompts.h"

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
    if (!automatic && m_general.general.Ask &&
        !Prompts::current().yesNo("Really delete " + std::to_string(marked) + " messages from server?"))
        return;
    // 4.-7. Flags left by an earlier, failed run must not carry over.
    for (int i = 0; i < msRemotePOP1.RemoteInfo().Count(); ++i)
        msRemotePOP1.ClearFlags(i);
    for (int i = 0; i < total && i < msRemotePOP1.RemoteInfo().Count(); ++i)
        if (isMarkedForDeletion(messages.row(i).mark))
            msRemotePOP1.FlagForDeletion(i);
    markedTotal = marked;
    deletionCounter = 1;
    disableAllButtons();
    activityLog.setPath(m_general.general.Logfile);
    activityLog.OpenLogFile();
    setRunningState(true);
    showProgress("Deleting messages ... standby");

    // 8. The server removes deleted messages only when the session ends with
    // an accepted QUIT, so the deletions are logged and counted after that.
    m_deletedRows.clear();
    m_skippedRows.clear();
    try {
        msRemotePOP1.TransferData();
    } catch (const ETidewellError &error) {
        closeQuietly();
        forgetRefusedToken(error);
        activityLog.CloseLogFile();
        enableAllButtons();
        setRunningState(false);
        hideProgress();
        if (visibleOrManual())
            showRemoteError(error);
        return;
    }
    for (int row : m_deletedRows)
        if (row < messages.count()) {
            const TWaitingMessage &m = messages.row(row);
            activityLog.logDeletion({msRemotePOP1.Server, msRemotePOP1.UserName, m.subject, m.senderAddress,
                                     m.senderName, m.sizeText, m.dateText});
        }
    // 9.-10.
    activityLog.CloseLogFile();
    const int deleted = int(m_deletedRows.size());
    m_general.addToSpamCount(deleted);
    try {
        m_general.saveGeneral();
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
    }
    if (!m_skippedRows.empty() && visibleOrManual())
        Prompts::current().warning(skippedText(messages, m_skippedRows));
    // 11.-12.
    messages.clear();
    ListView1->clear();
    if (marked == total || automatic || !m_general.general.Launch) {
        showProgress("Retrieving messages ... standby");
        listMailbox();
    }
    // 13.-16.
    enableAllButtons();
    setRunningState(false);
    setStatus("There were " + std::to_string(deleted) + " messages deleted");
    trayIcon->setHint(std::to_string(deleted) + " spams deleted");
    updateCheckGlyph();
    hideProgress();
    if (marked < total && visibleOrManual() && m_general.general.Launch)
        btLaunchClick();
}

} // namespace tw
