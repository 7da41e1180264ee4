#pragma once
// The commands of a POP3 run over many messages (LIST n and TOP n 1 for a
// listing; UIDL n, LIST n, TOP n 1 and DELE n for a deletion) and their
// replies, read in the order the commands were sent.
//
// Pipelined (the server listed PIPELINING), commands go out in windows: as
// many as keep at most kMaxWindowBytes of command text and the commands of
// at most kMaxWindowMessages messages unanswered, each batch in one write.
// The window is topped up as replies are read, whenever an eighth of it has
// been answered: the server always has the rest to work on, and each write
// carries a batch. Otherwise one command at a time, each sent only after the reply
// to the one before has been read: exactly the dialogue of a client that
// always waits, so a command that a refusal makes pointless is never sent.
//
// Use: queue commands (directly, or through QueueMore, which the window
// calls whenever it has room and nothing queued is left to send), then take
// the replies in order with readReply. The data block that follows a
// positive reply to TOP or RETR (or LIST without an argument) is the
// caller's to read before the next reply.

#include "net/agsocket.h"

#include <deque>
#include <functional>
#include <string>

namespace tw {

class TPop3CommandWindow {
public:
    TPop3CommandWindow(TagSocket &Socket, bool Pipelined);

    // Queues the next message's commands; false when there are no more.
    std::function<bool()> QueueMore;

    // Adds a command for message Message (0-based; -1 for a command about
    // the whole mailbox, which counts as one message). BlockFollows: a positive
    // reply is followed by a data block, which may hold and take what
    // BlockLimits allow.
    void queue(int Message, std::string Line, bool BlockFollows = false, const TDataBlockLimits &BlockLimits = {});
    // Reads the reply to the oldest command not yet answered and returns its
    // code (TagSocket::ReadLine). Sends first what the window allows. Between
    // replies that needed no wait the program's events are still handled, so
    // a cancel takes effect at once. Raises as SendLines and ReadLine do.
    int readReply();
    // Gives up the rest of message Message's commands at the front of the
    // queue: those sent are answered and their replies (with the data blocks
    // of positive ones, each within its command's limits) read and dropped;
    // those not sent yet are never sent.
    void skipRestOf(int Message);
    // Whether commands went out whose replies have not been read. After an
    // error the connection is then out of step: the next reply read would
    // answer one of them, not whatever the caller sends next.
    bool awaitingReplies() const { return m_sent > 0; }
    // What is unanswered now: command text (line ends included) and messages.
    size_t unansweredBytes() const { return m_sentBytes; }
    size_t unansweredMessages() const { return m_sentMessages; }

private:
    struct Command {
        int message;
        std::string line;
        bool blockFollows;
        TDataBlockLimits blockLimits;
    };
    void sendWhatFits();
    // Whether enough of the window is free to be worth a write of its own.
    bool worthToppingUp() const;

    TagSocket &m_socket;
    const bool m_pipelined;
    const size_t m_maxBytes;
    const size_t m_maxMessages;
    // Queued commands in order; the first m_sent of them have been sent.
    std::deque<Command> m_commands;
    size_t m_sent = 0;
    size_t m_sentBytes = 0;
    size_t m_sentMessages = 0; // messages with commands among the sent ones
};

} // namespace tw
