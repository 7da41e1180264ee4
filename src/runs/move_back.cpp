#include "runs/move_back.h"

#include "keep/kept_move_back.h"
#include "net/errors.h"

namespace tw {

namespace {

constexpr int kSessionSeconds = 120;

} // namespace

std::vector<TMovedBack> moveKeptMessagesBack(
    const std::vector<KeptMessage> &messages,
    const std::function<std::string(TmsImapClient &imap, const KeptMessage &first)> &prepare)
{
    std::vector<TMovedBack> results(messages.size(),
                                    {false, "Tidewell does not know where on the server this message went."});
    for (const KeptMoveBack &group : keptMoveBacks(messages)) {
        TmsImapClient imap;
        imap.SetTimeOut(kSessionSeconds);
        std::string why = prepare(imap, messages.at(group.rows.front()));
        if (why.empty()) {
            try {
                imap.MoveBack(group.record);
            } catch (const ETidewellError &error) {
                why = error.what();
                try {
                    if (imap.IsConnected())
                        imap.Close();
                } catch (const std::exception &) {
                }
            }
        }
        for (size_t row : group.rows) {
            TMovedBack &result = results.at(row);
            result.moved = why.empty() && wasMovedBack(messages[row], imap.LastMove());
            result.text = result.moved ? std::string()
                          : !why.empty() ? why
                                         : "It is no longer in the folder \"" + messages[row].imapJunkFolder +
                                               "\" on " + messages[row].server + ".";
        }
    }
    return results;
}

} // namespace tw
