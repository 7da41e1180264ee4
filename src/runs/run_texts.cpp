#include "runs/run_texts.h"

namespace tw {

std::string loggedServer(const TMailboxSession &session)
{
    const std::string &server = session.client().Server;
    return session.protocol() == MailProtocol::IMAP ? server + " (IMAP)" : server;
}

std::string sessionErrorText(const ETidewellError &error, const TMailboxSession &session)
{
    const std::string text = error.what();
    const std::string &server = session.client().Server;
    const std::string &userName = session.client().UserName;
    if (dynamic_cast<const ESignInError *>(&error))
        return text; // it says what to do; it is never a wrong password
    if (dynamic_cast<const ELoginRefusedError *>(&error))
        return "\"" + text + "\"  Unable to connect to your mailbox - \"" + userName +
               "\".  Either your UserName/Mailbox or Password is incorrect.  "
               "Go to the General Settings screen to correct your mailbox or password.";
    if (dynamic_cast<const EServerError *>(&error))
        // Refused after the login: the account is fine, the server is not.
        return "\"" + text + "\"  The server " + server + " refused a command for \"" + userName +
               "\", so Tidewell stopped there.  Try again later.";
    if (dynamic_cast<const ECanceledError *>(&error))
        return {};
    if (dynamic_cast<const ETimedOutError *>(&error) || dynamic_cast<const ETlsError *>(&error))
        return text; // these say what went wrong and what to change
    if (dynamic_cast<const ESocketError *>(&error)) {
        // "POP" as the texts have always said it.
        const std::string kind = session.protocol() == MailProtocol::IMAP ? "IMAP" : "POP";
        return "\"" + text + "\"  Unable to connect to your remote " + kind + " Server - \"" + server +
               "\".  Your remote " + kind + " server is either unavailable or incorrectly specified.  "
               "Go to the General Settings screen to correct the " + kind + " server.";
    }
    // A reply out of order or beyond what Tidewell reads.
    return "\"" + text + "\"  The server " + server + " answered \"" + userName +
           "\" in a way Tidewell cannot follow, so it stopped there.";
}

std::string skippedText(const WaitingMessages &messages, const std::vector<int> &rows)
{
    std::string text = "These messages were not deleted because the mailbox changed after it was listed "
                       "(another mail program may have fetched or deleted mail):";
    for (int row : rows)
        text += "\n" + std::to_string(row + 1) + ". " + (row < messages.count() ? messages.row(row).subject : "");
    return text + "\nCheck the mailbox again to see what it holds now.";
}

std::string deletionQuestion(int deleted, int moved)
{
    if (deleted == 0)
        return "Really move " + std::to_string(moved) + " messages to Junk?";
    std::string question = "Really delete " + std::to_string(deleted + moved) + " messages from server?";
    if (moved > 0)
        question += "\n" + std::to_string(moved) + " of them (IMAP) go to Junk instead.";
    return question;
}

} // namespace tw
