#include "net/msmx_message.h"

#include "net/errors.h"
#include "net/stringtable.h"

#include <algorithm>

namespace tw {

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kMaxLabel = 63;
constexpr size_t kMaxEncodedName = 255;

[[noreturn]] void invalidReply() { throw EResolverError(loadStr(57014)); }

void putWord(std::string &out, uint16_t value)
{
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
}

// Sequential reader over a received message; every read is bounds-checked.
class ReplyReader {
public:
    explicit ReplyReader(const std::string &message) : m_message(message) {}

    uint8_t byte()
    {
        need(1);
        return static_cast<uint8_t>(m_message[m_pos++]);
    }

    uint16_t word()
    {
        const uint16_t high = byte();
        return static_cast<uint16_t>((high << 8) | byte());
    }

    uint32_t dword()
    {
        const uint32_t high = word();
        return (high << 16) | word();
    }

    void skip(size_t count)
    {
        need(count);
        m_pos += count;
    }

    size_t position() const { return m_pos; }
    void seek(size_t position) { m_pos = position; }

    // Reads a possibly compressed name at the current position and returns
    // it with a dot after every label. A compression pointer must point
    // before the start of the part of the name that contains it; that is
    // what every encoder produces, and it makes each jump go strictly
    // backwards, so a looping name cannot keep the reader busy.
    std::string name()
    {
        std::string result;
        size_t pos = m_pos;
        size_t segmentStart = m_pos;
        size_t resumeAt = 0;
        bool jumped = false;
        for (;;) {
            if (pos >= m_message.size())
                invalidReply();
            const uint8_t length = static_cast<uint8_t>(m_message[pos]);
            if ((length & 0xC0) == 0xC0) {
                if (pos + 1 >= m_message.size())
                    invalidReply();
                const size_t target = (static_cast<size_t>(length & 0x3F) << 8) |
                                      static_cast<uint8_t>(m_message[pos + 1]);
                if (target >= segmentStart)
                    invalidReply();
                if (!jumped) {
                    resumeAt = pos + 2;
                    jumped = true;
                }
                pos = target;
                segmentStart = target;
                continue;
            }
            if (length & 0xC0) // the label types 01 and 10 are not in use
                invalidReply();
            ++pos;
            if (length == 0)
                break;
            if (length > m_message.size() - pos)
                invalidReply();
            result.append(m_message, pos, length);
            result += '.';
            pos += length;
        }
        m_pos = jumped ? resumeAt : pos;
        return result;
    }

private:
    void need(size_t count) const
    {
        if (count > m_message.size() - m_pos)
            invalidReply();
    }

    const std::string &m_message;
    size_t m_pos = 0;
};

[[noreturn]] void raiseForResponseCode(int rcode)
{
    if (rcode >= 1 && rcode <= 5)
        throw EResolverError(loadStr(57016 + rcode));
    throw EResolverError("Domain server Error #" + std::to_string(rcode));
}

} // namespace

std::string encodeQueryName(const std::string &domain)
{
    std::string name = domain;
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    const auto cannotExist = [] { throw EResolverError(loadStr(57019)); };
    if (name.empty())
        cannotExist();

    std::string encoded;
    size_t labelStart = 0;
    for (;;) {
        const size_t dot = name.find('.', labelStart);
        const size_t labelEnd = dot == std::string::npos ? name.size() : dot;
        const size_t length = labelEnd - labelStart;
        if (length == 0 || length > kMaxLabel)
            cannotExist();
        encoded += static_cast<char>(length);
        encoded.append(name, labelStart, length);
        if (dot == std::string::npos)
            break;
        labelStart = dot + 1;
    }
    encoded += '\0';
    if (encoded.size() > kMaxEncodedName)
        cannotExist();
    return encoded;
}

std::string buildQuery(uint16_t id, const std::string &domain, uint16_t type)
{
    TQuerySpec flags;
    flags.setRD(true);
    std::string query;
    putWord(query, id);
    putWord(query, flags.Flags);
    putWord(query, 1); // one question
    putWord(query, 0);
    putWord(query, 0);
    putWord(query, 0);
    query += encodeQueryName(domain);
    putWord(query, type);
    putWord(query, kDnsClassIN);
    return query;
}

namespace {

// Lists of abusers answer a query that came through a public resolver with
// an address in 127.255.255.0/24 instead of the real answer: such a reply
// says nothing about the domain.
bool isRefusalAddress(const std::string &reply, size_t dataStart, uint16_t dataLength)
{
    if (dataLength != 4 || dataStart + 4 > reply.size())
        return false;
    return uint8_t(reply[dataStart]) == 127 && uint8_t(reply[dataStart + 1]) == 255 &&
           uint8_t(reply[dataStart + 2]) == 255;
}

[[noreturn]] void refused(const std::string &reply, size_t dataStart)
{
    throw EResolverRefusedError("The DNS server gave a list's refusal (127.255.255." +
                                std::to_string(uint8_t(reply[dataStart + 3])) +
                                ") instead of an answer, so the domain could not be checked");
}

// The records after the answers, read only for refusal addresses. They
// were never needed otherwise, so a record cut short or malformed here ends
// the search rather than the reply.
void searchRefusalsAfterAnswers(ReplyReader &reader, const std::string &reply, uint16_t records)
{
    size_t dataStart = 0;
    try {
        for (uint16_t r = 0; r < records; ++r) {
            reader.name();
            const uint16_t type = reader.word();
            reader.skip(6); // class, time to live
            const uint16_t dataLength = reader.word();
            dataStart = reader.position();
            reader.skip(dataLength);
            if (type == kDnsTypeA && isRefusalAddress(reply, dataStart, dataLength))
                break;
            dataStart = 0;
        }
    } catch (const EResolverError &) {
        return;
    }
    if (dataStart != 0)
        refused(reply, dataStart);
}

} // namespace

namespace {

// Walks the answers of the reply to the query with ID, handing Take each
// record of type Wanted with its data's bounds; checks as parseMXReply says.
template <class Take>
void readAnswers(const std::string &reply, uint16_t id, uint16_t wanted, Take &&take)
{
    if (reply.size() < kHeaderSize)
        invalidReply();
    ReplyReader reader(reply);
    const uint16_t replyId = reader.word();
    const TQuerySpec flags(reader.word());
    const uint16_t questionCount = reader.word();
    const uint16_t answerCount = reader.word();
    const uint16_t authorityCount = reader.word();
    const uint16_t additionalCount = reader.word();

    if (replyId != id)
        throw EResolverError(loadStr(57015));
    if (!flags.QR())
        throw EResolverError(loadStr(57016));
    if (flags.RCODE() != 0)
        raiseForResponseCode(flags.RCODE());

    for (uint16_t q = 0; q < questionCount; ++q) {
        reader.name();
        reader.skip(4); // QTYPE, QCLASS
    }

    for (uint16_t a = 0; a < answerCount; ++a) {
        reader.name(); // owner
        const uint16_t type = reader.word();
        reader.word();  // class
        reader.dword(); // time to live
        const uint16_t dataLength = reader.word();
        const size_t dataStart = reader.position();
        reader.skip(dataLength);
        if (type == kDnsTypeA && isRefusalAddress(reply, dataStart, dataLength))
            refused(reply, dataStart);
        if (type != wanted)
            continue;
        reader.seek(dataStart);
        take(reader, dataLength);
        if (reader.position() > dataStart + dataLength)
            invalidReply(); // the record's data claimed fewer bytes than it used
        reader.seek(dataStart + dataLength);
    }
    searchRefusalsAfterAnswers(reader, reply, uint16_t(std::min(0xFFFF, authorityCount + additionalCount)));
}

} // namespace

void parseMXReply(const std::string &reply, uint16_t id, TMXList &list)
{
    readAnswers(reply, id, kDnsTypeMX, [&](ReplyReader &reader, uint16_t) {
        const uint16_t preference = reader.word();
        list.Add(preference, reader.name());
    });
}

void parseSRVReply(const std::string &reply, uint16_t id, std::vector<TSRVRec> &list)
{
    readAnswers(reply, id, kDnsTypeSRV, [&](ReplyReader &reader, uint16_t) {
        TSRVRec record;
        record.Priority = reader.word();
        record.Weight = reader.word();
        record.Port = reader.word();
        record.Target = reader.name();
        if (record.Target.empty())
            record.Target = "."; // the root: the service is not offered
        list.push_back(record);
    });
}

void parseAddressReply(const std::string &reply, uint16_t id, std::vector<std::string> &list)
{
    readAnswers(reply, id, kDnsTypeA, [&](ReplyReader &reader, uint16_t dataLength) {
        if (dataLength != 4)
            invalidReply();
        std::string dotted;
        for (int i = 0; i < 4; ++i)
            dotted += (i ? "." : "") + std::to_string(reader.byte());
        list.push_back(dotted);
    });
}

} // namespace tw
