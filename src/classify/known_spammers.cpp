#include "classify/known_spammers.h"

#include "platform/bytes.h"
#include "platform/private_files.h"
#include "platform/text_file.h"

#include <algorithm>
#include <filesystem>

namespace tw {

namespace {

constexpr size_t kLookupLength = 80;
constexpr size_t kMaxDomain = 255;

// An address whose user name is a plain number (or that begins with "@")
// is never kept: such names are generated and only bloat the list.
bool hasNumericUserName(const std::string &line)
{
    const size_t at = line.find('@');
    if (at == std::string::npos)
        return false;
    return std::all_of(line.begin(), line.begin() + static_cast<long>(at),
                       [](char c) { return (c >= '0' && c <= '9') || c == '_'; });
}

} // namespace

KnownSpammers::KnownSpammers() : m_collator(QLocale())
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

int KnownSpammers::compare(const QString &a, const QString &b) const { return m_collator.compare(a, b); }

KnownSpammers::Entry KnownSpammers::makeEntry(std::string bytes) const
{
    Entry entry;
    entry.text = toDisplay(bytes);
    entry.lookupKey = bytes.size() > kLookupLength ? toDisplay(std::string_view(bytes).substr(0, kLookupLength))
                                                   : entry.text;
    entry.bytes = std::move(bytes);
    return entry;
}

void KnownSpammers::insertSorted(std::vector<std::string> lines)
{
    m_entries.clear();
    m_entries.reserve(lines.size());
    for (auto &line : lines)
        m_entries.push_back(makeEntry(std::move(line)));
    const auto less = [this](const Entry &a, const Entry &b) { return compare(a.text, b.text) < 0; };
    // The file is normally written in sorted order; checking first spares the sort.
    if (!std::is_sorted(m_entries.begin(), m_entries.end(), less))
        std::stable_sort(m_entries.begin(), m_entries.end(), less);
}

void KnownSpammers::LoadUpKnownList(const std::string &path)
{
    m_entries.clear();
    const std::optional<std::string> bytes = readWholeFile(path);
    if (bytes)
        insertSorted(splitLines(*bytes));
}

bool KnownSpammers::contains(const std::string &key) const
{
    const QString wanted = toDisplay(key);
    int lo = 0;
    int hi = count() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int order = compare(wanted, m_entries[static_cast<size_t>(mid)].lookupKey);
        if (order == 0)
            return true;
        if (order < 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return false;
}

bool KnownSpammers::isInKnownList(const std::string &address, std::string &kind, std::string &value) const
{
    if (contains(address)) {
        kind = "E-mail";
        value = address;
        return true;
    }
    const size_t at = address.find('@');
    if (at == std::string::npos)
        return false;
    kind = "Domain";
    value = address.substr(at + 1, kMaxDomain);
    return contains(value);
}

bool KnownSpammers::rebuild(const std::string &editedText, const std::string &path, std::string *why)
{
    std::vector<std::string> kept;
    std::string previous;
    for (auto &line : splitLines(editedText)) {
        std::string upper = upperCase(line);
        if (upper == previous)
            continue;
        previous = std::move(upper);
        if (!hasNumericUserName(line))
            kept.push_back(std::move(line));
    }
    insertSorted(std::move(kept));
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored))
        return true;
    return writePrivateFile(path, fileText(), why);
}

std::string KnownSpammers::fileText() const
{
    std::string out;
    for (const auto &entry : m_entries)
        out += entry.bytes + "\r\n";
    return out;
}

} // namespace tw
