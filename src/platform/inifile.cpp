#include "platform/inifile.h"

#include "platform/bytes.h"
#include "platform/store_error.h"
#include "platform/settings_files.h"
#include "platform/text_file.h"

#include <climits>

namespace tw {

namespace {

bool isSectionLine(std::string_view trimmedLine) { return !trimmedLine.empty() && trimmedLine.front() == '['; }

std::string sectionName(std::string_view trimmedLine)
{
    const size_t close = trimmedLine.find(']');
    return trimmed(trimmedLine.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

bool isComment(std::string_view trimmedLine) { return !trimmedLine.empty() && trimmedLine.front() == ';'; }

} // namespace

int profileInteger(std::string_view text, int fallback) { return parseProfileInteger(text).value_or(fallback); }

std::optional<int> parseProfileInteger(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        if (digits.size() > 8)
            return std::nullopt;
        unsigned long value = 0;
        for (char c : digits) {
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d < 0)
                return std::nullopt;
            value = value * 16 + unsigned(d);
        }
        return static_cast<int>(static_cast<unsigned>(value)); // eight digits wrap as a 32-bit word
    }
    long long value = 0;
    if (!parseInt(trimmed(text), value) || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

IniFile::IniFile(std::string path) : m_path(std::move(path)) { reload(); }

void IniFile::reload()
{
    const FileContents contents = readSettingsFile(m_path);
    m_readError.clear();
    if (contents.state == FileContents::State::Unreadable)
        m_readError = unreadableStoreText(m_path, contents.reason);
    m_lines = contents.state == FileContents::State::Read ? splitLines(contents.bytes) : std::vector<std::string>{};
}

long IniFile::findSection(std::string_view section) const
{
    const std::string wanted = trimmed(section);
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const std::string line = trimmed(m_lines[i]);
        if (isSectionLine(line) && sameText(sectionName(line), wanted))
            return long(i);
    }
    return -1;
}

long IniFile::findKey(long header, std::string_view key) const
{
    const std::string wanted = trimmed(key);
    for (size_t i = size_t(header) + 1; i < m_lines.size(); ++i) {
        const std::string line = trimmed(m_lines[i]);
        if (isSectionLine(line))
            break;
        if (isComment(line))
            continue;
        const size_t eq = line.find('=');
        if (eq != std::string::npos && sameText(trimmed(std::string_view(line).substr(0, eq)), wanted))
            return long(i);
    }
    return -1;
}

bool IniFile::sectionExists(std::string_view section) const { return findSection(section) >= 0; }

bool IniFile::valueExists(std::string_view section, std::string_view key) const
{
    const long header = findSection(section);
    return header >= 0 && findKey(header, key) >= 0;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    const long header = findSection(section);
    const long at = header < 0 ? -1 : findKey(header, key);
    std::string value;
    if (at < 0) {
        value = std::string(fallback);
    } else {
        const std::string &line = m_lines[size_t(at)];
        value = trimmed(std::string_view(line).substr(line.find('=') + 1));
    }
    if (value.size() > kMaxReadLength)
        value.resize(kMaxReadLength);
    return value;
}

int IniFile::readInteger(std::string_view section, std::string_view key, int fallback) const
{
    if (!valueExists(section, key))
        return fallback;
    return profileInteger(readString(section, key, {}), fallback);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    reload();
    // A file that is there but cannot be read is never replaced.
    if (!m_readError.empty())
        throw EStoreError(m_readError, "the file cannot be read");
    std::string flat(value);
    for (char &c : flat)
        if (c == '\r' || c == '\n')
            c = ' ';
    const std::string line = trimmed(key) + "=" + flat;

    std::vector<std::string> lines = m_lines;
    const long header = findSection(section);
    if (header < 0) {
        lines.push_back("[" + trimmed(section) + "]");
        lines.push_back(line);
    } else if (const long at = findKey(header, key); at >= 0) {
        lines[size_t(at)] = line;
    } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        size_t insertAt = size_t(header) + 1;
        for (size_t i = size_t(header) + 1; i < lines.size() && !isSectionLine(trimmed(lines[i])); ++i)
            if (!isBlank(lines[i]))
                insertAt = i + 1;
        lines.insert(lines.begin() + long(insertAt), line);
    }

    std::string text;
    for (const std::string &l : lines)
        text += l + "\r\n";
    writeSettingsFile(m_path, std::move(text), [path = m_path](const std::string &why) {
        throw EStoreError("Unable to write to " + path, why);
    });
    m_lines = std::move(lines);
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

} // namespace tw
