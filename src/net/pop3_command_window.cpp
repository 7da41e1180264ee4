#include "net/pop3_command_window.h"

#include "net/pop3_limits.h"

#include <stdexcept>
#include <vector>

namespace tw {

namespace {

size_t lineBytes(const std::string &line) { return line.size() + 2; } // with its CR LF

} // namespace

TPop3CommandWindow::TPop3CommandWindow(TagSocket &Socket, bool Pipelined)
    : m_socket(Socket), m_pipelined(Pipelined), m_maxBytes(size_t(pop3::kMaxWindowBytes)),
      m_maxMessages(Pipelined ? size_t(pop3::kMaxWindowMessages) : 1)
{
}

void TPop3CommandWindow::queue(int Message, std::string Line, bool BlockFollows, const TDataBlockLimits &BlockLimits)
{
    m_commands.push_back({Message, std::move(Line), BlockFollows, BlockLimits});
}

void TPop3CommandWindow::sendWhatFits()
{
    std::vector<std::string> batch;
    size_t bytes = m_sentBytes;
    size_t messages = m_sentMessages;
    for (;;) {
        // One at a time: nothing goes out while a reply is awaited.
        const size_t next = m_sent + batch.size();
        if (!m_pipelined && next > 0)
            break;
        if (next == m_commands.size()) {
            if (QueueMore && QueueMore())
                continue;
            break;
        }
        const Command &command = m_commands[next];
        const bool newMessage = next == 0 || m_commands[next - 1].message != command.message;
        // A command alone always fits, however long: it must go out to be answered.
        if (next > 0 && (bytes + lineBytes(command.line) > m_maxBytes || (newMessage && messages + 1 > m_maxMessages)))
            break;
        batch.push_back(command.line);
        bytes += lineBytes(command.line);
        messages += newMessage ? 1 : 0;
    }
    if (batch.empty())
        return;
    m_socket.SendLines(batch);
    m_sent += batch.size();
    m_sentBytes = bytes;
    m_sentMessages = messages;
}

bool TPop3CommandWindow::worthToppingUp() const
{
    return m_maxBytes - m_sentBytes >= m_maxBytes / pop3::kWindowTopUpShare ||
           m_maxMessages - m_sentMessages >= std::max<size_t>(1, m_maxMessages / pop3::kWindowTopUpShare);
}

int TPop3CommandWindow::readReply()
{
    // Replies that are already here need no wait, in which the program's
    // events would otherwise be handled: a cancel must not wait for them.
    m_socket.HandlePendingEvents();
    // Topped up as replies are read, in batches worth a write: the server
    // always has the rest of the window to work on meanwhile.
    if (m_sent == 0 || (m_pipelined && worthToppingUp()))
        sendWhatFits();
    if (m_sent == 0)
        throw std::logic_error("a reply was read for no command");
    const Command answered = std::move(m_commands.front());
    m_commands.pop_front();
    --m_sent;
    m_sentBytes -= lineBytes(answered.line);
    if (m_sent == 0 || m_commands.front().message != answered.message)
        --m_sentMessages;
    return m_socket.ReadLine();
}

void TPop3CommandWindow::skipRestOf(int Message)
{
    while (!m_commands.empty() && m_commands.front().message == Message) {
        if (m_sent == 0) {
            m_commands.pop_front();
            continue;
        }
        const bool blockFollows = m_commands.front().blockFollows;
        const TDataBlockLimits limits = m_commands.front().blockLimits;
        if (readReply() == 1 && blockFollows) {
            std::string dropped;
            m_socket.ReadData(dropped, -1, limits);
        }
    }
}

} // namespace tw
