#pragma once
// Ini files ("tidewell.ini", other mail programs' settings) with the profile
// semantics the program relies on: sections and keys compare without regard
// to letter case, blanks around keys and values are ignored, an absent key
// gives the caller's default, and a read returns at most 1023 characters.
//
// An IniFile object reads the file when it is made. Each write re-reads the
// file, changes one key (keeping every other line, comments included) and
// replaces the file atomically with CR LF line ends. Files with CR LF, LF or
// CR line ends are read. A file that exists but cannot be read reads as empty
// and is never written over (readError() tells why; writes raise it).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The number a stored settings text stands for: a text longer than two
// characters that begins with "0x" or "0X" is hexadecimal (up to eight
// digits), anything else decimal; Fallback when it is no valid 32-bit number.
int profileInteger(std::string_view text, int fallback);
// The same reading, with nullopt for a text that is no valid number.
std::optional<int> parseProfileInteger(std::string_view text);

class IniFile {
public:
    static constexpr size_t kMaxReadLength = 1023;

    explicit IniFile(std::string path);
    const std::string &path() const { return m_path; }
    // Empty when the file was read or does not exist; otherwise the text to show.
    const std::string &readError() const { return m_readError; }

    bool sectionExists(std::string_view section) const;
    bool valueExists(std::string_view section, std::string_view key) const;

    // The key's value (at most 1023 characters), or Fallback when absent.
    std::string readString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // The value read with profileInteger; Fallback when absent or invalid.
    int readInteger(std::string_view section, std::string_view key, int fallback) const;
    // A flag: any nonzero number is true; Fallback when absent or invalid.
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    // Writes one key (creating the file and section when needed). Line breaks
    // inside Value cannot live in an ini line and are written as blanks.
    // Raises EStoreError "Unable to write to <path>" when the file cannot be
    // replaced, or readError() when the existing file cannot be read; the
    // file then stays as it was.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);

private:
    void reload();
    // Index of the section's header line, or -1.
    long findSection(std::string_view section) const;
    // Index of the key's line within the section starting after Header, or -1.
    long findKey(long header, std::string_view key) const;

    std::string m_path;
    std::vector<std::string> m_lines;
    std::string m_readError;
};

} // namespace tw
