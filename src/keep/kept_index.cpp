#include "keep/kept_index.h"

#include "keep/kept_file_name.h"
#include "platform/bytes.h"
#include "platform/text_file.h"

#include <QDateTime>
#include <unordered_set>

namespace tw {

namespace {

constexpr size_t kFieldCount = 13;     // a POP3 row
constexpr size_t kImapFieldCount = 20; // an IMAP row: the POP3 fields, then where it went
constexpr const char *kImap = "IMAP";
constexpr const char *kWhole = "whole";
constexpr const char *kHeaders = "headers";

void appendEscaped(std::string &out, std::string_view field)
{
    for (char c : field) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

std::optional<std::string> unescaped(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

std::string isoTime(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate).toStdString();
}

std::optional<qint64> secondsFromIso(const std::string &text)
{
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
    if (!when.isValid() || when.timeSpec() != Qt::UTC)
        return std::nullopt;
    return when.toSecsSinceEpoch();
}

std::optional<long long> number(const std::string &text)
{
    long long value = 0;
    if (!parseInt(text, value) || value < 0)
        return std::nullopt;
    return value;
}

std::optional<uint32_t> uid32(const std::string &text)
{
    const std::optional<long long> value = number(text);
    if (!value || *value > 0xFFFFFFFFLL)
        return std::nullopt;
    return uint32_t(*value);
}

// Fields 13..19 of an IMAP row into Row; false when one is not what it must be.
bool readImapFields(const std::vector<std::string> &fields, KeptMessage &row)
{
    if (fields[13] != kImap)
        return false;
    const std::optional<uint32_t> sourceValidity = uid32(fields[16]), junkValidity = uid32(fields[17]),
                                  sourceUid = uid32(fields[18]), junkUid = uid32(fields[19]);
    if (!sourceValidity || !junkValidity || !sourceUid || !junkUid)
        return false;
    row.protocol = 1;
    row.imapFolder = fields[14];
    row.imapJunkFolder = fields[15];
    row.imapSourceUidValidity = *sourceValidity;
    row.imapJunkUidValidity = *junkValidity;
    row.imapSourceUid = *sourceUid;
    row.imapJunkUid = *junkUid;
    return true;
}

std::vector<std::string> splitWhy(const std::string &text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    size_t at = 0;
    for (size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', at)) {
        lines.push_back(text.substr(at, lf - at));
        at = lf + 1;
    }
    lines.push_back(text.substr(at));
    return lines;
}

std::string joinedWhy(const std::vector<std::string> &lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    return text;
}

std::optional<KeptMessage> rowFromLine(std::string_view line)
{
    std::vector<std::string> fields;
    for (size_t at = 0;;) {
        const size_t tab = line.find('\t', at);
        const std::optional<std::string> field =
            unescaped(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
        if (!field)
            return std::nullopt;
        fields.push_back(*field);
        if (tab == std::string_view::npos)
            break;
        at = tab + 1;
    }
    if ((fields.size() != kFieldCount && fields.size() != kImapFieldCount) || !parseKeptFileName(fields[0]))
        return std::nullopt;
    const std::optional<qint64> deletedAt = secondsFromIso(fields[1]);
    const std::optional<long long> mailbox = number(fields[2]);
    const std::optional<long long> size = number(fields[6]);
    const std::optional<long long> stored = number(fields[7]);
    if (!deletedAt || !mailbox || *mailbox > 999 || !size || !stored || (fields[8] != kWhole && fields[8] != kHeaders))
        return std::nullopt;
    KeptMessage row;
    row.fileName = fields[0];
    row.deletedAt = *deletedAt;
    row.mailbox = int(*mailbox);
    row.server = fields[3];
    row.user = fields[4];
    row.uidl = fields[5];
    row.size = *size;
    row.storedBytes = *stored;
    row.headersOnly = fields[8] == kHeaders;
    row.subject = fields[9];
    row.senderAddress = fields[10];
    row.senderName = fields[11];
    row.why = splitWhy(fields[12]);
    if (fields.size() == kImapFieldCount && !readImapFields(fields, row))
        return std::nullopt;
    return row;
}

} // namespace

std::string keptIndexText(const std::vector<KeptMessage> &rows)
{
    std::string text(kKeptIndexFirstLine);
    text += "\r\n";
    for (const KeptMessage &row : rows) {
        std::vector<std::string> fields = {row.fileName,
                                                 isoTime(row.deletedAt),
                                                 std::to_string(row.mailbox),
                                                 row.server,
                                                 row.user,
                                                 row.uidl,
                                                 std::to_string(row.size),
                                                 std::to_string(row.storedBytes),
                                                 row.headersOnly ? kHeaders : kWhole,
                                                 row.subject,
                                                 row.senderAddress,
                                                 row.senderName,
                                                 joinedWhy(row.why)};
        if (row.isImap())
            fields.insert(fields.end(), {kImap, row.imapFolder, row.imapJunkFolder,
                                         std::to_string(row.imapSourceUidValidity),
                                         std::to_string(row.imapJunkUidValidity), std::to_string(row.imapSourceUid),
                                         std::to_string(row.imapJunkUid)});
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i)
                text += '\t';
            appendEscaped(text, fields[i]);
        }
        text += "\r\n";
    }
    return text;
}

ParsedKeptIndex parseKeptIndex(std::string_view text)
{
    ParsedKeptIndex index;
    const std::vector<std::string> lines = splitLines(std::string(text));
    if (lines.empty() || lines.front() != kKeptIndexFirstLine)
        index.damaged = true;
    std::unordered_set<std::string> named;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 && lines[i] == kKeptIndexFirstLine)
            continue;
        if (lines[i].empty())
            continue;
        std::optional<KeptMessage> row = rowFromLine(lines[i]);
        if (!row || !named.insert(row->fileName).second) {
            index.damaged = true;
            continue;
        }
        index.rows.push_back(std::move(*row));
    }
    return index;
}

} // namespace tw
