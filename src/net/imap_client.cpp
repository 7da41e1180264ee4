// The IMAP client's commands: tags, sending a command (with literals where
// a string needs one), and reading its replies up to its tagged one, with
// what every reply says about the session noted on the way.
#include "net/imap_client.h"

#include "platform/bytes.h"

#include <QElapsedTimer>
#include <algorithm>
#include <climits>

namespace tw {

namespace {

// Whether a string can go as a quoted string; else it goes as a literal.
bool fitsQuoted(const std::string &text)
{
    return std::none_of(text.begin(), text.end(), [](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        return u == 0 || u == '\r' || u == '\n' || u > 0x7F;
    });
}

// A literal the server need not agree to first (LITERAL+, RFC 7888; the
// LITERAL- of small ones).
bool literalWithoutWait(const TImapCapabilities &capabilities, size_t size)
{
    return capabilities.has("LITERAL+") || (capabilities.has("LITERAL-") && size <= 4096);
}

} // namespace

bool TImapMoveRecord::undoable() const
{
    return DestinationUidValidity != 0 &&
           std::any_of(Messages.begin(), Messages.end(), [](const Message &m) { return m.destinationUid != 0; });
}

TImapCommand &TImapCommand::add(std::string text)
{
    m_pieces.push_back({std::move(text), false});
    return *this;
}

TImapCommand &TImapCommand::addString(std::string string)
{
    m_pieces.push_back({std::move(string), true});
    return *this;
}

// The socket as the reply reader's input. A whole reply must come within a
// few time-outs (and, for literals beyond a header block's size, the time a
// slow line needs for them), however steadily it trickles in.
class TmsImapClient::ReplyInput : public TImapInput {
public:
    explicit ReplyInput(TmsImapClient &client) : m_client(client)
    {
        m_started.start();
        m_allowedSeconds = (long long)imap::kReplyTimeOuts * client.TimeOut();
        setDeadline();
    }
    ~ReplyInput() override { m_client.SetDeadline(0); }
    ReplyInput(const ReplyInput &) = delete;
    ReplyInput &operator=(const ReplyInput &) = delete;

    std::string readLine() override
    {
        if (m_client.ReadLine() < 0)
            m_client.connectionLost();
        return m_client.LastReply();
    }

    long long readLiteral(std::string &Out, long long Count, long long MaxKept) override
    {
        const long long before = std::max(0LL, m_literalBytes - imap::kMaxHeaderBlockBytes);
        m_literalBytes += Count;
        const long long beyond = std::max(0LL, m_literalBytes - imap::kMaxHeaderBlockBytes);
        m_allowedSeconds += (beyond - before) / imap::kSlowestBytesPerSecond;
        setDeadline();
        TDataBlockLimits limits;
        limits.MaxBytes = Count;
        limits.MaxKeptBytes = MaxKept;
        return m_client.ReadBytes(Out, Count, limits);
    }

private:
    void setDeadline()
    {
        if (m_allowedSeconds <= 0)
            return; // no time-out at all
        const long long left = std::max(1LL, m_allowedSeconds - m_started.elapsed() / 1000);
        m_client.SetDeadline(int(std::min<long long>(left, INT_MAX)));
    }

    TmsImapClient &m_client;
    QElapsedTimer m_started;
    long long m_allowedSeconds = 0;
    long long m_literalBytes = 0;
};

TmsImapClient::TmsImapClient(QObject *parent) : TmsMailBase(parent)
{
    DefaultPort = 143;
    ServiceName = "imap";
}

const TmsMailBase::TSecurityWords &TmsImapClient::securityWords() const
{
    static const TSecurityWords words{"IMAP", 993, "imaps", "STARTTLS", "STARTTLS"};
    return words;
}

int TmsImapClient::ReplyCode(const std::string &) { return 0; }

std::string TmsImapClient::nextTag()
{
    // Every command may have its own untagged replies, up to a bound that
    // grows with the folder.
    const long long messages = std::min<long long>(m_exists, std::max(0, MaxListedMessages));
    m_untaggedLeft =
        int(std::min<long long>(INT_MAX, imap::kMinUntaggedPerCommand + imap::kMaxUntaggedPerMessage * messages));
    m_alerted = false;
    return "a" + std::to_string(++m_tagNumber);
}

void TmsImapClient::ClearFlags(int Index)
{
    TmsRemoteInfoItem &item = m_remoteInfo.Items(Index);
    item.SetDeleteFlag(false);
    item.SetRetrieveFlag(false);
}

void TmsImapClient::connectionLost()
{
    Close();
    throw EServerError(m_bye.empty() ? std::string("The server closed the connection.")
                                     : "The server closed the connection: \"" + m_bye + "\"");
}

void TmsImapClient::outOfStep(const std::string &Why)
{
    Close();
    throw EImapReplyError("The server's replies are out of step with Tidewell's commands: " + Why + ".");
}

TImapResponse TmsImapClient::readResponse(const TImapReadLimits &Limits)
{
    try {
        ReplyInput input(*this);
        return readImapResponse(input, Limits);
    } catch (const EImapReplyError &) {
        Close(); // what follows cannot be read in step any more
        throw;
    }
}

TImapResponse TmsImapClient::execute(const TImapCommand &Command, const UntaggedHandler &Untagged,
                                     const TImapReadLimits &Limits)
{
    const std::string tag = nextTag();
    try {
        std::string line = tag;
        for (const TImapCommand::Piece &piece : Command.pieces()) {
            line += ' ';
            if (!piece.isString || fitsQuoted(piece.text)) {
                line += piece.isString ? imapQuoted(piece.text) : piece.text;
                continue;
            }
            const bool noWait = literalWithoutWait(m_capabilities, piece.text.size());
            SendLine(line + "{" + std::to_string(piece.text.size()) + (noWait ? "+}" : "}"));
            if (!noWait) {
                const TImapResponse answer = readUntilTagged(tag, true, Untagged, Limits);
                if (answer.kind == TImapResponse::Kind::Tagged)
                    return answer; // refused before the literal went out
            }
            line = piece.text; // the rest of the command follows the literal's bytes
        }
        SendLine(line);
        return readUntilTagged(tag, false, Untagged, Limits);
    } catch (...) {
        // Replies to this command may still be on their way: the next
        // command could not tell them from its own.
        if (IsConnected())
            Close();
        throw;
    }
}

TImapResponse TmsImapClient::executeOk(const TImapCommand &Command, const UntaggedHandler &Untagged,
                                       const TImapReadLimits &Limits)
{
    TImapResponse reply = execute(Command, Untagged, Limits);
    if (!reply.is("OK"))
        throw EServerError(reply.quoted());
    return reply;
}

TImapResponse TmsImapClient::readUntilTagged(const std::string &Tag, bool ContinuationWanted,
                                             const UntaggedHandler &Untagged, const TImapReadLimits &Limits)
{
    for (;;) {
        HandlePendingEvents(); // a cancel ends even a flood of replies already received
        TImapResponse response = readResponse(Limits);
        switch (response.kind) {
        case TImapResponse::Kind::Continuation:
            if (!ContinuationWanted)
                outOfStep("it asked for more of a command that was complete");
            return response;
        case TImapResponse::Kind::Tagged:
            if (response.tag != Tag)
                outOfStep("it answered a command that Tidewell did not send (" + response.quoted() + ")");
            noteCode(response);
            return response;
        case TImapResponse::Kind::Untagged:
            if (--m_untaggedLeft < 0)
                outOfStep("it sent more replies to one command than Tidewell reads");
            noteUntagged(response);
            if (Untagged)
                Untagged(response);
            break;
        }
    }
}

void TmsImapClient::noteUntagged(const TImapResponse &Response)
{
    if (Response.isStatus()) {
        if (Response.is("BYE"))
            m_bye = Response.quoted();
        noteCode(Response);
    } else if (Response.name == "CAPABILITY") {
        m_capabilities = TImapCapabilities::fromData(Response.data);
        m_capabilitiesRenewed = true;
    } else if (Response.name == "EXISTS" && Response.number) {
        m_exists = *Response.number;
    } else if (Response.name == "EXPUNGE" && m_exists > 0) {
        --m_exists;
    }
}

void TmsImapClient::noteCode(const TImapResponse &Response)
{
    if (Response.code == "CAPABILITY") {
        m_capabilities = TImapCapabilities::fromText(Response.codeArguments);
        m_capabilitiesRenewed = true;
    } else if (Response.code == "UIDVALIDITY") {
        m_selectedUidValidity = imapNumber(Response.codeArguments).value_or(0);
    } else if (Response.code == "COPYUID") {
        // A move answers with one, or a few; more are not kept.
        if (m_copyUids.size() < kMaxCopyUids)
            m_copyUids.push_back(Response.codeArguments);
    } else if (Response.code == "ALERT" && OnAlert && !m_alerted) {
        m_alerted = true; // once per command, however often a server repeats it
        OnAlert(this, TImapResponse::safeText(Response.text));
    }
}

void TmsImapClient::readCapabilities() { executeOk(TImapCommand("CAPABILITY")); }

void TmsImapClient::Logout()
{
    if (!IsConnected())
        return;
    try {
        executeOk(TImapCommand("LOGOUT"));
    } catch (const EServerError &) {
        if (IsConnected() || m_bye.empty())
            throw; // a server that said BYE may close before its OK
    }
}

} // namespace tw
