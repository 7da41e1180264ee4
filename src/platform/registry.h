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
//
// A file that exists but cannot be read (no permission, an I/O error, a
// folder in its place) reads as empty and is never written over: readError()
// tells why, and every write raises EStoreError with that text. Reading and
// writing take time in proportion to the file's size.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tw {

enum class Hive { CurrentUser, LocalMachine };

class Registry {
public:
    // Opens the store kept in FilePath (the user's registry.ini by default).
    explicit Registry(std::string filePath = std::string());

    const std::string &filePath() const { return m_path; }
    // Empty when the file was read or does not exist; otherwise the text to
    // show ("Cannot read the settings file <path> (<reason>). ...").
    const std::string &readError() const { return m_readError; }

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
    // <key>" when the key is new and cannot be stored, "Failed to set data
    // for '<name>'" when the value of an existing key cannot be stored, and
    // readError() when the existing file cannot be read.
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
        std::unordered_map<std::string, size_t> valueIndex;  // lower-case name -> position in values

        const Value *find(std::string_view name) const;
        // Adds the value unless one of that name exists; true when added.
        bool add(std::string name, std::string data);
        void set(std::string_view name, std::string data);
        bool erase(std::string_view name);
    };
    // The keys in file order, with an index by lower-case path.
    struct Tree {
        std::vector<Key> keys;
        std::unordered_map<std::string, size_t> keyIndex;

        const Key *find(std::string_view path) const;
        Key *find(std::string_view path);
        Key &add(std::string path);
    };

    static Tree parse(const std::string &text);
    static std::string serialize(const Tree &tree);
    static std::string fullPath(Hive hive, std::string_view key);

    void reload();
    void reloadForWrite();
    void store(Tree tree, bool keyIsNew, std::string_view key, std::string_view name);

    std::string m_path;
    Tree m_tree;
    std::string m_readError;
};

} // namespace tw
