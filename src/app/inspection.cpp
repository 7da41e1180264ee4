// TfrmMain: message inspection — the header blocks of the selected
// messages, the body of one message (downloaded for the purpose) and the
// explanation of a message's mark, all shown in the text window.

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "app/vheader.h"
#include "platform/paths.h"
#include "platform/prompts.h"

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
        if (row < msRemotePOP1.RemoteInfo().Count())
            for (const std::string &line : msRemotePOP1.RemoteInfo().Items(row).Headers.Lines())
                lines.push_back(line);
    }
    showTextWindow(TfrmViewHeader::Mode::Headers, lines, this);
    afterDialog();
}

void TfrmMain::ViewMessages1Click()
{
    const std::vector<int> rows = beginInspection(true);
    if (rows.empty())
        return;
    const int k = rows.front();
    if (k >= msRemotePOP1.RemoteInfo().Count()) {
        afterDialog();
        return;
    }
    const int size = msRemotePOP1.RemoteInfo().Items(k).Size;
    if (size > kLargeMessage &&
        !Prompts::current().yesNo("The message you have selected to view is quite large - " + std::to_string(size) +
                                  " bytes. Are you sure you wish to download and view it?")) {
        afterDialog();
        return;
    }
    if (downloadMessage(k, rows)) {
        try {
            msMessage1.LoadFromFile(msRemotePOP1.MessageDirectory() + "msg_" + std::to_string(k) + ".eml");
            showTextWindow(TfrmViewHeader::Mode::Body, msMessage1.BodyAsUtf8(), this);
        } catch (const std::exception &error) {
            Prompts::current().error(error.what());
        }
    }
    afterDialog();
}

bool TfrmMain::downloadMessage(int k, const std::vector<int> &selected)
{
    msRemotePOP1.FlagForRetrieval(k);
    msRemotePOP1.SetMessageDirectory(programFolder());
    disableAllButtons();
    setRunningState(true);
    if (m_progress) {
        m_progress->show(); // also when the main window is hidden
        m_progress->setTitle("Retrieving message ... standby");
    }
    // The run ends as the check and deletion runs end, also after an error:
    // idle buttons, Exit caption and no progress window.
    const auto finish = [&] {
        hideProgress();
        enableAllButtons();
        setRunningState(false);
        for (int row : selected)
            msRemotePOP1.ClearFlags(row);
    };
    try {
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
