#include "classify/learned_store.h"

#include "platform/text_file.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tw {

namespace {

constexpr std::string_view kFirstLine = "Tidewell learned score ";

// Reads the text line by line, keeping count for the error text.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}
    bool next(std::string_view &line)
    {
        if (m_at >= m_text.size())
            return false;
        const size_t lf = m_text.find('\n', m_at);
        const size_t end = lf == std::string_view::npos ? m_text.size() : lf;
        line = m_text.substr(m_at, end - m_at);
        m_at = end + 1;
        ++m_number;
        return true;
    }
    int number() const { return m_number; }

private:
    std::string_view m_text;
    size_t m_at = 0;
    int m_number = 0;
};

// Takes one number (decimal, or 16 hexadecimal digits for keys) and the
// blank after it from the front of Line.
template <class T> bool takeNumber(std::string_view &line, T &value, int base = 10)
{
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value, base);
    if (error != std::errc() || end == line.data())
        return false;
    line.remove_prefix(size_t(end - line.data()));
    if (!line.empty()) {
        if (line.front() != ' ')
            return false;
        line.remove_prefix(1);
    }
    return true;
}

bool takeWord(std::string_view &line, std::string_view word)
{
    if (line.substr(0, word.size()) != word)
        return false;
    line.remove_prefix(word.size());
    if (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    return true;
}

// "<Name> <n>": the count line that opens a section.
bool sectionCount(LineReader &reader, std::string_view name, std::uint64_t &count)
{
    std::string_view line;
    return reader.next(line) && takeWord(line, name) && takeNumber(line, count) && line.empty();
}

void appendHex(std::string &out, std::uint64_t value)
{
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(value));
    out.append(buffer, 16);
}

void appendNumber(std::string &out, std::uint64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, size_t(result.ptr - buffer));
}

// A name beside Path that no file has yet.
std::string freeNameBeside(const std::string &path)
{
    std::string candidate = path + ".damaged";
    for (int n = 2; QFile::exists(QString::fromStdString(candidate)); ++n)
        candidate = path + ".damaged-" + std::to_string(n);
    return candidate;
}

} // namespace

void LearnedData::clear()
{
    counts.tokens.clear();
    counts.spamMessages = counts.hamMessages = 0;
    ledger.clear();
}

std::string learnedStoreText(const LearnedData &data)
{
    std::string text;
    text.reserve(64 + data.counts.tokens.size() * 40 + data.ledger.trainedCount() * 24 +
                 data.ledger.pendingCount() * 40);
    text += kFirstLine;
    appendNumber(text, kLearnedStoreVersion);
    text += "\nmessages ";
    appendNumber(text, data.counts.spamMessages);
    text += ' ';
    appendNumber(text, data.counts.hamMessages);
    text += "\ntokens ";
    appendNumber(text, data.counts.tokens.size());
    text += '\n';
    data.counts.tokens.forEach([&](std::string_view token, const TokenCount &count) {
        appendNumber(text, count.spam);
        text += ' ';
        appendNumber(text, count.ham);
        text += ' ';
        appendNumber(text, count.day);
        text += ' ';
        text += token;
        text += '\n';
    });
    text += "trained ";
    appendNumber(text, data.ledger.trainedCount());
    text += '\n';
    for (const auto &[key, entry] : data.ledger.trained()) {
        appendHex(text, key);
        text += ' ';
        text += char(entry.as);
        text += ' ';
        appendNumber(text, entry.day);
        text += '\n';
    }
    text += "pending ";
    appendNumber(text, data.ledger.pendingCount());
    text += '\n';
    for (const auto &[key, entry] : data.ledger.pending()) {
        appendHex(text, key);
        text += ' ';
        appendHex(text, entry.mailbox);
        text += ' ';
        appendNumber(text, entry.day);
        text += '\n';
    }
    text += "end\n";
    return text;
}

bool parseLearnedStore(std::string_view text, LearnedData &data, std::string &problem, int &version)
{
    data.clear();
    version = 0;
    LineReader reader(text);
    auto fail = [&](const std::string &what) {
        problem = what + " (line " + std::to_string(reader.number()) + ")";
        data.clear();
        return false;
    };
    std::string_view line;
    if (!reader.next(line) || !takeWord(line, kFirstLine.substr(0, kFirstLine.size() - 1)) ||
        !takeNumber(line, version) || !line.empty())
        return fail("it does not begin as a learned score store does");
    if (version > kLearnedStoreVersion || version < 1)
        return fail("it was written by a later version of Tidewell (format " + std::to_string(version) + ")");

    if (!reader.next(line) || !takeWord(line, "messages") || !takeNumber(line, data.counts.spamMessages) ||
        !takeNumber(line, data.counts.hamMessages) || !line.empty())
        return fail("the message counts cannot be read");

    std::uint64_t count = 0;
    if (!sectionCount(reader, "tokens", count))
        return fail("the token count cannot be read");
    // The count comes from the file: it sizes the table only as far as the text could hold that many lines.
    data.counts.tokens.reserve(size_t(std::min<std::uint64_t>(count, text.size() / 8)), text.size());
    for (std::uint64_t i = 0; i < count; ++i) {
        TokenCount token;
        if (!reader.next(line) || !takeNumber(line, token.spam) || !takeNumber(line, token.ham) ||
            !takeNumber(line, token.day) || line.empty())
            return fail("a token line cannot be read");
        data.counts.tokens.insert(line, token);
    }
    if (!sectionCount(reader, "trained", count))
        return fail("the trained message count cannot be read");
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t key = 0;
        std::uint32_t day = 0;
        if (!reader.next(line) || line.size() < 20 || !takeNumber(line, key, 16) || line.size() < 2 ||
            (line[0] != 'S' && line[0] != 'H') || line[1] != ' ')
            return fail("a trained message line cannot be read");
        const TrainedAs as = TrainedAs(line[0]);
        line.remove_prefix(2);
        if (!takeNumber(line, day) || !line.empty())
            return fail("a trained message line cannot be read");
        data.ledger.set(key, as, day);
    }
    if (!sectionCount(reader, "pending", count))
        return fail("the pending message count cannot be read");
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t key = 0, mailbox = 0;
        std::uint32_t day = 0;
        if (!reader.next(line) || !takeNumber(line, key, 16) || !takeNumber(line, mailbox, 16) ||
            !takeNumber(line, day) || !line.empty())
            return fail("a pending message line cannot be read");
        data.ledger.addPending(key, mailbox, day);
    }
    if (!reader.next(line) || line != "end")
        return fail("the file ends early");
    return true;
}

LearnedStoreRead readLearnedStore(const std::string &path, LearnedData &data, bool setDamagedAside)
{
    LearnedStoreRead result;
    data.clear();
    const FileContents contents = readFileContents(path);
    if (contents.state == FileContents::State::Missing)
        return result;
    if (contents.state == FileContents::State::Unreadable) {
        result.state = LearnedStoreRead::State::Unreadable;
        result.problem = contents.reason;
        return result;
    }
    int version = 0;
    if (parseLearnedStore(contents.bytes, data, result.problem, version)) {
        result.state = LearnedStoreRead::State::Read;
        return result;
    }
    // A later version's file is whole; it only must not be overwritten.
    if (version > kLearnedStoreVersion || !setDamagedAside) {
        result.state = LearnedStoreRead::State::Unreadable;
        return result;
    }
    const std::string kept = freeNameBeside(path);
    if (!QFile::rename(QString::fromStdString(path), QString::fromStdString(kept))) {
        result.state = LearnedStoreRead::State::Unreadable;
        return result;
    }
    result.state = LearnedStoreRead::State::Damaged;
    result.keptAs = kept;
    return result;
}

bool writeLearnedStore(const std::string &path, const LearnedData &data, std::string *why)
{
    return writeFileAtomically(path, learnedStoreText(data), 0600, why);
}

} // namespace tw
