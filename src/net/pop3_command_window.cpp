#include "net/pop3_command_window.h"

#include "net/pop3_limits.h"

#include <stdexcept>
#include <vector>

namespace tw {

TPop3CommandWindow::TPop3CommandWindow(TagSocket &Socket, bool Pipelined)
    : m_socket(Socket), m_maxCommands(Pipelined ? size_t(pop3::kMaxWindowCommands) : 1)
{
}

void TPop3CommandWindow::queue(int Message, std::string Line, bool BlockFollows, const TDataBlockLimits &BlockLimits)
{
    m_commands.push_back({Message, std::move(Line), BlockFollows, BlockLimits});
}

void TPop3CommandWindow::sendWhatFits()
{
    std::vector<std::string> batch;
    size_t batchBytes = 0;
    while (m_sent + batch.size() < m_maxCommands) {
        const size_t next = m_sent + batch.size();
        if (next == m_commands.size()) {
            if (QueueMore && QueueMore())
                continue;
            break;
        }
        const size_t bytes = m_commands[next].line.size() + 2;
        if (next > 0 && m_sentBytes + batchBytes + bytes > size_t(pop3::kMaxWindowBytes))
            break;
        batch.push_back(m_commands[next].line);
        batchBytes += bytes;
    }
    if (batch.empty())
        return;
    m_socket.SendLines(batch);
    m_sent += batch.size();
    m_sentBytes += batchBytes;
}

int TPop3CommandWindow::readReply()
{
    // Replies that are already here need no wait, in which the program's
    // events would otherwise be handled: a cancel must not wait for them.
    m_socket.HandlePendingEvents();
    // A new batch once half of the window has been answered keeps the
    // server busy while the replies already here are read.
    if (m_sent == 0 || m_sent <= m_maxCommands / 2)
        sendWhatFits();
    if (m_sent == 0)
        throw std::logic_error("a reply was read for no command");
    const Command answered = std::move(m_commands.front());
    m_commands.pop_front();
    --m_sent;
    m_sentBytes -= answered.line.size() + 2;
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
