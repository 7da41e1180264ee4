// The receiving side of the transport: reply lines, dot-terminated data
// blocks and everything up to the peer's close. Bytes are read from the
// socket in bulk; what arrives after the reply being read (the replies to
// commands sent ahead of it) stays in the input buffer, where the next read
// finds it without waiting.
#include "net/agsocket.h"

#include "net/stringtable.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <climits>

namespace tw {

namespace {

constexpr int TextReplyLineTooLong = 57030;
constexpr int TextClosedBeforeDataComplete = 57031;
constexpr int TextDataBlockTooLarge = 57032;

// Where the data block that starts at BlockStart in Bytes ends (just after
// its terminating dot line), or npos while it is incomplete. The block ends
// at the first line "." CR LF that follows a CR LF, or is that line alone.
// Searched bytes before SearchedUpTo are not searched again.
size_t blockEnd(std::string_view bytes, size_t blockStart, size_t searchedUpTo)
{
    static constexpr std::string_view terminator = "\r\n.\r\n";
    if (bytes.size() - blockStart >= 3 && bytes.compare(blockStart, 3, ".\r\n") == 0)
        return blockStart + 3;
    const size_t from = std::max(blockStart, searchedUpTo >= terminator.size() ? searchedUpTo - terminator.size() : 0);
    const size_t at = bytes.find(terminator, from);
    return at == std::string_view::npos ? std::string_view::npos : at + terminator.size();
}

// The part of a block beyond what is kept: its bytes are only looked at for
// the end of the block and then forgotten. The last four bytes seen are all
// that finding a terminator split between two pieces needs.
class DroppedRest {
public:
    // Begins with the last bytes of the kept part and the count already cut off.
    void start(std::string_view keptTail, long long alreadyDropped)
    {
        m_tail.assign(keptTail.substr(keptTail.size() - std::min<size_t>(keptTail.size(), 4)));
        m_dropped = alreadyDropped;
    }
    // Takes the next Bytes of the block; returns how many of them belong to
    // it (all, unless its end lies among them, which sets Complete).
    size_t take(std::string_view bytes, bool &complete)
    {
        static constexpr std::string_view terminator = "\r\n.\r\n";
        std::string window = m_tail;
        window.append(bytes);
        const size_t at = window.find(terminator);
        if (at != std::string::npos) {
            const size_t used = at + terminator.size() - m_tail.size();
            m_dropped += (long long)used;
            complete = true;
            return used;
        }
        m_dropped += (long long)bytes.size();
        m_tail = window.substr(window.size() - std::min<size_t>(window.size(), 4));
        return bytes.size();
    }
    long long dropped() const { return m_dropped; }

private:
    std::string m_tail;
    long long m_dropped = 0;
};

} // namespace

bool TagSocket::takeIncoming()
{
    m_readSeen = false;
    return m_socket && m_input.takeFrom(*m_socket) > 0;
}

int TagSocket::ReadLine()
{
    requireConnected();
    m_lastReply.clear();
    size_t lineEnd = std::string_view::npos;
    bool tooLong = false;
    bool started = false;

    waitFor([&] {
        for (;;) {
            const std::string_view held = m_input.view();
            lineEnd = held.find('\n');
            if (lineEnd != std::string_view::npos)
                return true;
            if (held.size() > size_t(MaxReplyLine)) {
                tooLong = true;
                return true;
            }
            // The line gets one new full time-out when it starts, not one per
            // piece: a server sending a byte at a time must not hold us forever.
            if (!held.empty() && !started) {
                restartCounterWhileWaiting();
                started = true;
            }
            if (!takeIncoming())
                break;
        }
        return peerClosedAndDrained() || !m_socket;
    });

    if (m_canceled)
        raiseCanceled();
    if (lineEnd != std::string_view::npos) {
        std::string_view line = m_input.view().substr(0, lineEnd + 1);
        line = line.substr(0, line.find('\0'));
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.remove_suffix(1);
        m_lastReply.assign(line);
        m_input.consume(lineEnd + 1);
        return ReplyCode(m_lastReply);
    }
    if (tooLong) {
        // The rest of the line is still on its way; the connection cannot be
        // read in step with the server any more.
        Close();
        ReportError(TextReplyLineTooLong);
    }
    if (m_counter.TimedOut())
        raiseTimedOut();
    if (m_errorSeen)
        ReportError(m_errorCode);
    return -1; // the peer closed before the line was complete
}

long long TagSocket::ReadData(std::string &Stream, int ExpectedSize, const TDataBlockLimits &Limits)
{
    requireConnected();
    const size_t blockStart = Stream.size();
    size_t searchedUpTo = blockStart;
    bool complete = false;
    bool tooLarge = false;
    bool tooSlow = false;
    bool dropping = false;
    DroppedRest rest;
    std::string scratch;
    QDeadlineTimer deadline(QDeadlineTimer::Forever);
    if (Limits.MaxSeconds > 0)
        deadline.setRemainingTime(qint64(Limits.MaxSeconds) * 1000);
    const auto blockSize = [&] { return (long long)(Stream.size() - blockStart) + rest.dropped(); };

    // Looks for the end of the block in what Stream holds; bytes beyond it
    // belong to later replies and go back to the input buffer.
    const auto endFound = [&] {
        const size_t end = blockEnd(Stream, blockStart, searchedUpTo);
        searchedUpTo = Stream.size();
        if (end == std::string::npos)
            return false;
        m_input.assign(std::string_view(Stream).substr(end));
        Stream.resize(end);
        return true;
    };
    // Past MaxKeptBytes, Stream keeps what it has and the rest is dropped.
    const auto keepWithinLimit = [&] {
        const long long kept = (long long)(Stream.size() - blockStart);
        if (dropping || Limits.MaxKeptBytes < 0 || kept <= Limits.MaxKeptBytes)
            return;
        dropping = true;
        rest.start(Stream, kept - Limits.MaxKeptBytes);
        Stream.resize(blockStart + size_t(Limits.MaxKeptBytes));
    };

    waitFor([&] {
        const long long position = blockSize();
        fireProgress(ExpectedSize > 0 ? ProgressPercent(position, ExpectedSize) : -1, int(position));
        bool received = false;
        // What an earlier read took from the socket comes first: up to the
        // block's end when it is all there, else all of it.
        if (!m_input.empty() && dropping) {
            m_input.consume(rest.take(m_input.view(), complete));
            received = true;
        } else if (!m_input.empty()) {
            const std::string_view held = m_input.view();
            const size_t end = blockEnd(held, 0, 0);
            const size_t taken = end == std::string_view::npos ? held.size() : end;
            Stream.append(held.substr(0, taken));
            searchedUpTo = Stream.size();
            m_input.consume(taken);
            complete = end != std::string_view::npos;
            received = true;
            keepWithinLimit();
        }
        // Then straight from the socket: into Stream, or looked at and dropped.
        while (!complete && m_socket && blockSize() <= Limits.MaxBytes) {
            if (dropping) {
                scratch.clear();
                if (appendAvailable(*m_socket, scratch, 1 << 16) == 0)
                    break;
                const size_t used = rest.take(scratch, complete);
                if (complete)
                    m_input.assign(std::string_view(scratch).substr(used));
            } else {
                if (appendAvailable(*m_socket, Stream) == 0)
                    break;
                complete = endFound();
                keepWithinLimit();
            }
            received = true;
        }
        tooLarge = blockSize() > Limits.MaxBytes;
        if (received) {
            m_readSeen = false;
            if (!complete)
                restartCounterWhileWaiting(); // a new full time-out after every received chunk
        }
        tooSlow = !complete && deadline.hasExpired();
        return complete || tooLarge || tooSlow || peerClosedAndDrained() || !m_socket;
    });

    raiseIfCanceledOrTimedOut();
    if (tooLarge) {
        // The rest of the block may still be coming; the connection is of no more use.
        Close();
        ReportError(TextDataBlockTooLarge);
    }
    if (complete)
        return rest.dropped();
    failIncompleteBlock(tooSlow);
}

long long TagSocket::ReadBytes(std::string &Stream, long long Count, const TDataBlockLimits &Limits)
{
    requireConnected();
    if (Count > Limits.MaxBytes) {
        // Nothing of it is read: the connection is of no more use.
        Close();
        ReportError(TextDataBlockTooLarge);
    }
    const long long kept = Limits.MaxKeptBytes < 0 ? Count : std::min(Count, Limits.MaxKeptBytes);
    long long done = 0; // bytes of the block read, kept or dropped
    bool tooSlow = false;
    std::string scratch;
    QDeadlineTimer deadline(QDeadlineTimer::Forever);
    if (Limits.MaxSeconds > 0)
        deadline.setRemainingTime(qint64(Limits.MaxSeconds) * 1000);

    // Takes up to Wanted bytes, first from what an earlier read left, then
    // from the socket, into Stream while keeping, else into the scratch.
    const auto take = [&](long long wanted) -> size_t {
        std::string &into = done < kept ? Stream : scratch;
        if (done >= kept)
            scratch.clear();
        if (!m_input.empty()) {
            const std::string_view held = m_input.view().substr(0, size_t(std::min<long long>(wanted, m_input.size())));
            into.append(held);
            m_input.consume(held.size());
            return held.size();
        }
        return m_socket ? appendAvailable(*m_socket, into, wanted) : 0;
    };

    waitFor([&] {
        fireProgress(ProgressPercent(done, Count), int(std::min<long long>(done, INT_MAX)));
        bool received = false;
        while (done < Count) {
            const long long wanted = done < kept ? kept - done : std::min<long long>(Count - done, 1 << 16);
            const size_t got = take(wanted);
            if (got == 0)
                break;
            done += (long long)got;
            received = true;
        }
        if (received) {
            m_readSeen = false;
            if (done < Count)
                restartCounterWhileWaiting(); // a new full time-out after every received chunk
        }
        tooSlow = done < Count && deadline.hasExpired();
        return done == Count || tooSlow || peerClosedAndDrained() || !m_socket;
    });

    raiseIfCanceledOrTimedOut();
    if (done == Count)
        return Count - kept;
    failIncompleteBlock(tooSlow);
}

void TagSocket::failIncompleteBlock(bool TooSlow)
{
    if (TooSlow)
        raiseTimedOut();
    if (m_errorSeen)
        ReportError(m_errorCode);
    // The server closed the connection in the middle of the block.
    Fail(loadStr(TextClosedBeforeDataComplete));
}

void TagSocket::ReadToEnd(std::string &Stream, int Count)
{
    requireConnected();
    fireProgress(0, 0);
    long long total = 0;
    const auto enough = [&] { return Count >= 0 && total >= Count; };
    const auto done = [&] { return enough() || (m_input.empty() && peerClosedAndDrained()); };

    waitFor([&] {
        while (!enough()) {
            size_t got = 0;
            if (!m_input.empty()) {
                const std::string_view held = m_input.view();
                got = Count >= 0 ? std::min<size_t>(held.size(), size_t(Count - total)) : held.size();
                Stream.append(held.substr(0, got));
                m_input.consume(got);
            } else if (m_socket) {
                got = appendAvailable(*m_socket, Stream, Count >= 0 ? Count - total : -1);
            }
            if (got == 0)
                break;
            total += (long long)got;
            fireProgress(Count < 1 ? -1 : ProgressPercent(total, Count), int(total));
            m_readSeen = false;
            restartCounterWhileWaiting();
        }
        return done() || !m_socket;
    });

    if (m_socket && done()) {
        fire(OnClosed); // the socket itself stays open until Close
        return;
    }
    raiseIfCanceledOrTimedOut();
    if (m_errorSeen)
        ReportError(m_errorCode);
    requireConnected(); // a handler closed the connection during the wait
}

} // namespace tw
