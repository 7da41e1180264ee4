// TfrmMain: message inspection — the header blocks of the selected
// messages, the body of one message (downloaded for the purpose) and the
// explanation of a message's mark, all shown in the text window.

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "app/vheader.h"
#include "net/errors.h"
#include "platform/background_work.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <atomic>

namespace tw {

namespace {

constexpr int kLargeMessage = 50000; // bytes; a larger one is downloaded only when confirmed
const char *const kOnlyOneMessage = "You have selected more than one message to view.  Only one message can be "
                                    "viewed at one time.  The first one selected will be displayed.";

} // namespace

std::vector<int> TfrmMain::beginInspection(bool oneOnly)
{
    TimerPool1.setActive(minuteTrigger, false);
    playAlarmSound(false);
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        NadaSelected();
        afterDialog();
    } else if (oneOnly && rows.size() > 1) {
        Prompts::current().information(kOnlyOneMessage);
    }
    return rows;
}

void TfrmMain::ViewHeader1Click()
{
    const std::vector<int> rows = beginInspection(false);
    if (rows.empty())
        return;
    const std::string frame(38, '*');
    std::vector<std::string> lines;
    for (int row : rows) {
        const TWaitingMessage &message = messages.row(row);
        lines.push_back(frame);
        lines.push_back("Subject : " + message.subject + " Sender : " + message.senderAddress);
        lines.push_back(frame);
        if (row < mailSession().listed().Count())
            for (const std::string_view line : mailSession().listed().Items(row).Headers.Lines())
                lines.emplace_back(line);
    }
    showTextWindow(TfrmViewHeader::Mode::Headers, lines, this);
    afterDialog();
}

void TfrmMain::ViewMessages1Click()
{
    // The list's menu stays open during a run; a second download or
    // decoding must not start inside the first one's wait.
    if (runInProgress())
        return;
    const std::vector<int> rows = beginInspection(true);
    if (rows.empty())
        return;
    const int k = rows.front();
    if (k >= mailSession().listed().Count()) {
        afterDialog();
        return;
    }
    const int size = mailSession().listed().Items(k).Size;
    if (size > kLargeMessage &&
        !Prompts::current().yesNo("The message you have selected to view is quite large - " + std::to_string(size) +
                                  " bytes. Are you sure you wish to download and view it?")) {
        afterDialog();
        return;
    }
    std::optional<TShownMessage> shown;
    if (downloadMessage(k, rows) && !m_exitAfterViewing)
        shown = decodeForViewing(msRemotePOP1.MessageDirectory() + "msg_" + std::to_string(k) + ".eml");
    if (m_exitAfterViewing) {
        // Exit (or Hide) was pressed meanwhile: nothing is shown.
        afterDialog();
        exitAfterViewing();
        return;
    }
    if (shown)
        showMessageWindow(std::move(*shown), this);
    afterDialog();
}

bool TfrmMain::exitAfterViewing()
{
    if (!m_exitAfterViewing)
        return false;
    const bool fromTray = *m_exitAfterViewing;
    m_exitAfterViewing.reset();
    exitCommand(fromTray);
    return true;
}

std::optional<TShownMessage> TfrmMain::decodeForViewing(const std::string &file)
{
    disableAllButtons();
    m_viewingBody = true;
    if (m_progress) {
        m_progress->show();
        m_progress->setTitle("Decoding the message ... standby");
        m_progress->setMessage("Decoding ... ");
    }
    const std::string statusBefore = status();
    setStatus("Decoding the message");
    std::atomic<bool> cancel{false};
    m_decodeCancel = &cancel;
    std::optional<TShownMessage> shown;
    std::string failure;
    // A large message takes a while to decode: the windows stay live and
    // Cancel is heard meanwhile.
    try {
        runInBackground([&] {
            msMessage1.LoadFromFile(file, &cancel);
            shown = shownMessage(msMessage1, file);
        });
        setStatus(statusBefore);
    } catch (const ECanceledError &error) {
        setStatus(error.what());
    } catch (const std::exception &error) {
        failure = error.what();
    }
    m_decodeCancel = nullptr;
    // What is shown has been taken out; the decoded message would only hold
    // memory the size of the message until the next one.
    msMessage1.Clear();
    hideProgress();
    enableAllButtons();
    m_viewingBody = false;
    if (!failure.empty())
        Prompts::current().error(failure);
    return shown;
}

bool TfrmMain::downloadMessage(int k, const std::vector<int> &selected)
{
    msRemotePOP1.FlagForRetrieval(k);
    msRemotePOP1.SetMessageDirectory(programFolder());
    disableAllButtons();
    m_viewingBody = true;
    if (m_progress) {
        m_progress->show(); // also when the main window is hidden
        m_progress->setTitle("Retrieving messages ... standby");
    }
    // The download ends as the check and deletion runs end, also after an
    // error: idle buttons and no progress window.
    const auto finish = [&] {
        hideProgress();
        enableAllButtons();
        m_viewingBody = false;
        for (int row : selected)
            msRemotePOP1.ClearFlags(row);
    };
    try {
        // An IMAP message is fetched whole, left unread, into the same file.
        if (m_loadedProtocol == MailProtocol::IMAP)
            msRemotePOP1.WriteMessageFile(k, msRemoteIMAP1.RetrieveMessage(k));
        else
            msRemotePOP1.TransferData();
    } catch (const ETidewellError &error) {
        closeQuietly();
        finish();
        showRemoteError(error);
        return false;
    }
    finish();
    return true;
}

void TfrmMain::Why1Click()
{
    const std::vector<int> rows = beginInspection(true);
    if (rows.empty())
        return;
    std::vector<std::string> lines;
    try {
        lines = explain(rows.front());
    } catch (const std::exception &error) {
        Prompts::current().error(error.what());
        afterDialog();
        return;
    }
    showTextWindow(TfrmViewHeader::Mode::Explanation, lines, this);
    afterDialog();
}

void TfrmMain::msRemotePOP1Retrieving(int index)
{
    if (m_progress)
        m_progress->setMessage("Retrieving ... ");
    setStatus("Retrieving " + std::to_string(index + 1));
}

void TfrmMain::msRemotePOP1Retrieved(int index) { setStatus("Message " + std::to_string(index + 1) + " retrieved"); }

void TfrmMain::msRemotePOP1UserMessageSave(int index, const std::string &contents)
{
    msRemotePOP1.WriteMessageFile(index, contents);
}

} // namespace tw
