#pragma once
// What the runs say about a mailbox session: the server as the activity log
// names it, and the texts of a failed session and of skipped messages, the
// same in the window and on the command line.

#include "classify/waiting_messages.h"
#include "net/errors.h"
#include "runs/mailbox_session.h"

#include <string>
#include <vector>

namespace tw {

// The server as the activity log names it: the server, and for an IMAP
// mailbox " (IMAP)" after it (the log's readers take the server up to the
// first blank, so they read both alike).
std::string loggedServer(const TMailboxSession &session);

// What to tell the user about Error, raised by the session of the mailbox
// it holds: the server's quoted reply with what to do about it. "" for a
// cancel (the user asked for it).
std::string sessionErrorText(const ETidewellError &error, const TMailboxSession &session);

// The messages of Rows that a deletion left alone because the mailbox
// changed after it was listed, one line each.
std::string skippedText(const WaitingMessages &messages, const std::vector<int> &rows);

// The question before a deletion the user started: Deleted messages go from
// the server for good (POP3, or IMAP set to delete), Moved ones go to the
// junk folder (IMAP). Only moves: "Really move N messages to Junk?";
// otherwise "Really delete N messages from server?", with a second line
// naming the moves among them.
std::string deletionQuestion(int deleted, int moved);

} // namespace tw
