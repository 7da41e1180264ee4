#include "platform/registry.h"

#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/store_error.h"
#include "platform/text_file.h"

namespace tw {

namespace {

const char *const kCurrentUser = "HKEY_CURRENT_USER";
const char *const kLocalMachine = "HKEY_LOCAL_MACHINE";
const char *const kDefaultValueName = "@";
const unsigned kFileMode = 0600;

void appendHexEscape(std::string &out, unsigned char c)
{
    out += "\\x";
    appendHexByte(out, c);
}

bool isControl(unsigned char c) { return c < 32 || c == 127; }

// Names also escape what would end the name ('=') or make the line look like
// a section, a comment or the default value's name.
std::string escapeName(std::string_view name)
{
    if (name.empty())
        return kDefaultValueName;
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool leadingMarker = i == 0 && (c == '[' || c == ';' || c == '#' || c == '@');
        if (c == '\\')
            out += "\\\\";
        else if (isControl(c) || c == '=' || leadingMarker)
            appendHexEscape(out, c);
        else
            out += char(c);
    }
    return out;
}

std::string unescapeName(std::string_view text)
{
    if (text == kDefaultValueName)
        return {};
    return Registry::unescapeValue(text);
}

// Normalises a key path: no leading, trailing or doubled separators.
std::string cleanKey(std::string_view key)
{
    std::string out;
    for (char c : key) {
        if (c == '\\' && (out.empty() || out.back() == '\\'))
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

bool isStorableKey(std::string_view key)
{
    for (char c : key)
        if (isControl(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

Registry::Registry(std::string filePath) : m_path(filePath.empty() ? registryFilePath() : std::move(filePath))
{
    reload();
}

std::string Registry::escapeValue(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\')
            out += "\\\\";
        else if (isControl(c))
            appendHexEscape(out, c);
        else
            out += ch;
    }
    return out;
}

std::string Registry::unescapeValue(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            if (text[i + 1] == '\\') {
                out += '\\';
                ++i;
                continue;
            }
            if (text[i + 1] == 'x' && i + 3 < text.size()) {
                const int hi = hexDigitValue(text[i + 2]);
                const int lo = hexDigitValue(text[i + 3]);
                if (hi >= 0 && lo >= 0) {
                    out += char(hi * 16 + lo);
                    i += 3;
                    continue;
                }
            }
        }
        // A damaged escape is kept as it stands rather than losing the value.
        out += text[i];
    }
    return out;
}

std::vector<Registry::Key> Registry::parse(const std::string &text)
{
    std::vector<Key> keys;
    Key *current = nullptr;
    for (const std::string &line : splitLines(text)) {
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            current = nullptr;
            if (close == std::string::npos || close < 2)
                continue; // damaged header: its values are skipped until the next good one
            const std::string path = cleanKey(std::string_view(line).substr(1, close - 1));
            current = findKey(keys, path);
            if (!current) {
                keys.push_back(Key{path, {}});
                current = &keys.back();
            }
            continue;
        }
        const size_t eq = line.find('=');
        if (!current || eq == std::string::npos || eq == 0)
            continue;
        std::string name = unescapeName(std::string_view(line).substr(0, eq));
        bool seen = false;
        for (const Value &v : current->values)
            seen = seen || sameText(v.name, name);
        if (!seen) // the first of two equal names wins, as in an ini file
            current->values.push_back(Value{std::move(name), unescapeValue(std::string_view(line).substr(eq + 1))});
    }
    return keys;
}

std::string Registry::serialize(const std::vector<Key> &keys)
{
    std::string out;
    for (const Key &key : keys) {
        if (!out.empty())
            out += '\n';
        out += '[' + key.path + "]\n";
        for (const Value &v : key.values)
            out += escapeName(v.name) + '=' + escapeValue(v.data) + '\n';
    }
    return out;
}

std::string Registry::fullPath(Hive hive, std::string_view key)
{
    std::string path = hive == Hive::CurrentUser ? kCurrentUser : kLocalMachine;
    const std::string clean = cleanKey(key);
    if (!clean.empty())
        path += '\\' + clean;
    return path;
}

const Registry::Key *Registry::findKey(const std::vector<Key> &keys, std::string_view path)
{
    for (const Key &k : keys)
        if (sameText(k.path, path))
            return &k;
    return nullptr;
}

Registry::Key *Registry::findKey(std::vector<Key> &keys, std::string_view path)
{
    for (Key &k : keys)
        if (sameText(k.path, path))
            return &k;
    return nullptr;
}

void Registry::reload()
{
    const std::optional<std::string> text = readWholeFile(m_path);
    m_keys = text ? parse(*text) : std::vector<Key>{};
}

bool Registry::keyExists(Hive hive, std::string_view key) const
{
    return findKey(m_keys, fullPath(hive, key)) != nullptr;
}

std::optional<std::string> Registry::readString(Hive hive, std::string_view key, std::string_view name) const
{
    const Key *k = findKey(m_keys, fullPath(hive, key));
    if (!k)
        return std::nullopt;
    for (const Value &v : k->values)
        if (sameText(v.name, name))
            return v.data;
    return std::nullopt;
}

std::vector<std::string> Registry::valueNames(Hive hive, std::string_view key) const
{
    std::vector<std::string> names;
    if (const Key *k = findKey(m_keys, fullPath(hive, key)))
        for (const Value &v : k->values)
            names.push_back(v.name);
    return names;
}

void Registry::store(std::vector<Key> keys, bool keyIsNew, std::string_view key, std::string_view name)
{
    const std::string shownKey = cleanKey(key);
    std::string why;
    bool ok = makeFolders(folderOf(m_path));
    if (!ok)
        why = "cannot create the folder of " + m_path;
    ok = ok && writeFileAtomically(m_path, serialize(keys), kFileMode, &why);
    if (!ok) {
        if (keyIsNew)
            throw EStoreError("Failed to create key " + shownKey, why);
        throw EStoreError("Failed to set data for '" + std::string(name) + "'", why);
    }
    m_keys = std::move(keys);
}

void Registry::createKey(std::string_view key)
{
    reload();
    const std::string path = fullPath(Hive::CurrentUser, key);
    if (findKey(m_keys, path))
        return;
    if (!isStorableKey(path))
        throw EStoreError("Failed to create key " + cleanKey(key), "a key name may not hold control characters");
    std::vector<Key> keys = m_keys;
    keys.push_back(Key{path, {}});
    store(std::move(keys), true, key, {});
}

void Registry::writeString(std::string_view key, std::string_view name, std::string_view value)
{
    reload();
    const std::string path = fullPath(Hive::CurrentUser, key);
    std::vector<Key> keys = m_keys;
    Key *k = findKey(keys, path);
    const bool keyIsNew = k == nullptr;
    if (keyIsNew) {
        if (!isStorableKey(path))
            throw EStoreError("Failed to create key " + cleanKey(key), "a key name may not hold control characters");
        keys.push_back(Key{path, {}});
        k = &keys.back();
    }
    Value *existing = nullptr;
    for (Value &v : k->values)
        if (sameText(v.name, name))
            existing = &v;
    if (existing)
        existing->data = std::string(value);
    else
        k->values.push_back(Value{std::string(name), std::string(value)});
    store(std::move(keys), keyIsNew, key, name);
}

void Registry::deleteValue(std::string_view key, std::string_view name)
{
    reload();
    std::vector<Key> keys = m_keys;
    Key *k = findKey(keys, fullPath(Hive::CurrentUser, key));
    if (!k)
        return;
    const auto before = k->values.size();
    std::erase_if(k->values, [&](const Value &v) { return sameText(v.name, name); });
    if (k->values.size() != before)
        store(std::move(keys), false, key, name);
}

} // namespace tw
