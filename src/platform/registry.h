#pragma once
// The per-user settings registry: a tree of keys holding named string values,
// kept in the text file registry.ini (mode 0600).
//
// File layout: one section per key, named by the full key path with the hive
// first, then one "Name=value" line per value:
//
//   [HKEY_CURRENT_USER\Software\Quillmarsh\Tidewell\10\General]
//   Minutes=10
//
// Key paths and value names compare without regard to letter case. The
// key's default (unnamed) value is written with the name "@". Values hold any
// bytes; the escapes are described in README.md ("Registry file"). Lines that
// cannot be understood are skipped; every other value of the file still reads.
//
// A Registry object is one "opening" of the store: it reads the file when it
// is made and answers reads from that snapshot. Every write re-reads the file,
// changes the one value and replaces the file atomically, so two open objects
// never undo each other's writes and a failed write leaves the file as it was.
// HKEY_LOCAL_MACHINE keys (other programs' settings) can be read, not written.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

enum class Hive { CurrentUser, LocalMachine };

class Registry {
public:
    // Opens the store kept in FilePath (the user's registry.ini by default).
    explicit Registry(std::string filePath = std::string());

    const std::string &filePath() const { return m_path; }

    // Key paths are given without the hive, parts separated by '\'
    // (for example "Software\Quillmarsh\Tidewell\10\General").
    bool keyExists(Hive hive, std::string_view key) const;
    // The value's text, or nullopt when the key or the value does not exist.
    // An empty Name means the key's default value.
    std::optional<std::string> readString(Hive hive, std::string_view key, std::string_view name) const;
    // The value names of a key in file order (empty when the key does not exist).
    std::vector<std::string> valueNames(Hive hive, std::string_view key) const;

    // The writes below change the current user's tree and reach the disk
    // before they return. They raise EStoreError with "Failed to create key
    // <key>" when the key is new and cannot be stored, and "Failed to set data
    // for '<name>'" when the value of an existing key cannot be stored.
    void createKey(std::string_view key);
    void writeString(std::string_view key, std::string_view name, std::string_view value);
    void deleteValue(std::string_view key, std::string_view name);

    // The escaping used in the file (exposed for the tests and the README).
    static std::string escapeValue(std::string_view raw);
    static std::string unescapeValue(std::string_view text);

private:
    struct Value {
        std::string name;
        std::string data;
    };
    struct Key {
        std::string path;  // hive name, '\', key path
        std::vector<Value> values;
    };

    static std::vector<Key> parse(const std::string &text);
    static std::string serialize(const std::vector<Key> &keys);
    static std::string fullPath(Hive hive, std::string_view key);
    static const Key *findKey(const std::vector<Key> &keys, std::string_view path);
    static Key *findKey(std::vector<Key> &keys, std::string_view path);

    void reload();
    void store(std::vector<Key> keys, bool keyIsNew, std::string_view key, std::string_view name);

    std::string m_path;
    std::vector<Key> m_keys;
};

} // namespace tw
