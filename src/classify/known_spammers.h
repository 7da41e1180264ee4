#pragma once
// The known-spammer blacklist ("known.lst"): addresses and domain names kept
// in ascending order under the user's locale-aware, case-insensitive
// comparison, which is also the comparison of the lookup.

#include <QCollator>
#include <QString>

#include <string>
#include <vector>

namespace tw {

class KnownSpammers {
public:
    KnownSpammers();

    // Empties the list and, when the file at Path exists, inserts each of its
    // lines (an empty line is an entry too). A missing file leaves it empty.
    void LoadUpKnownList(const std::string &path);

    // Whether Address is blacklisted: looked up whole (Kind "E-mail", Value
    // the address), else by the text after its first "@" (Kind "Domain",
    // Value that domain, at most 255 bytes).
    bool isInKnownList(const std::string &address, std::string &kind, std::string &value) const;

    // Binary search for Key; entries are compared by their first 80 bytes.
    bool contains(const std::string &key) const;

    // Rebuilds the list from the lines of an edited text: lines equal to the
    // one before (ASCII case ignored; leading empty lines too) are skipped,
    // and so is an address whose user name is only digits and "_" (or
    // empty). The new list is written, sorted and with CR LF line ends, to
    // Path when that file exists; it is never created. Returns false when an
    // existing file could not be written (Why then holds the reason).
    bool rebuild(const std::string &editedText, const std::string &path, std::string *why = nullptr);

    int count() const { return static_cast<int>(m_entries.size()); }
    const std::string &entry(int i) const { return m_entries.at(static_cast<size_t>(i)).bytes; }
    // The list as file text, one entry per line, CR LF ended.
    std::string fileText() const;

private:
    struct Entry {
        std::string bytes;
        QString text;      // the whole entry, for ordering
        QString lookupKey; // its first 80 bytes, for the lookup
    };
    Entry makeEntry(std::string bytes) const;
    void insertSorted(std::vector<std::string> lines);
    int compare(const QString &a, const QString &b) const;

    QCollator m_collator;
    std::vector<Entry> m_entries;
};

} // namespace tw
