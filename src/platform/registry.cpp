#include "platform/registry.h"

#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/settings_files.h"
#include "platform/store_error.h"
#include "platform/text_file.h"

namespace tw {

namespace {

const char *const kCurrentUser = "HKEY_CURRENT_USER";
const char *const kLocalMachine = "HKEY_LOCAL_MACHINE";
const char *const kDefaultValueName = "@";

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

// --- The key tree -------------------------------------------------------------

const Registry::Value *Registry::Key::find(std::string_view name) const
{
    const auto at = valueIndex.find(lowerCase(name));
    return at == valueIndex.end() ? nullptr : &values[at->second];
}

bool Registry::Key::add(std::string name, std::string data)
{
    const auto [at, added] = valueIndex.emplace(lowerCase(name), values.size());
    if (added)
        values.push_back(Value{std::move(name), std::move(data)});
    return added;
}

void Registry::Key::set(std::string_view name, std::string data)
{
    const auto at = valueIndex.find(lowerCase(name));
    if (at != valueIndex.end())
        values[at->second].data = std::move(data);
    else
        add(std::string(name), std::move(data));
}

bool Registry::Key::erase(std::string_view name)
{
    const auto at = valueIndex.find(lowerCase(name));
    if (at == valueIndex.end())
        return false;
    values.erase(values.begin() + long(at->second));
    valueIndex.clear();
    for (size_t i = 0; i < values.size(); ++i)
        valueIndex.emplace(lowerCase(values[i].name), i);
    return true;
}

const Registry::Key *Registry::Tree::find(std::string_view path) const
{
    const auto at = keyIndex.find(lowerCase(path));
    return at == keyIndex.end() ? nullptr : &keys[at->second];
}

Registry::Key *Registry::Tree::find(std::string_view path)
{
    const auto at = keyIndex.find(lowerCase(path));
    return at == keyIndex.end() ? nullptr : &keys[at->second];
}

Registry::Key &Registry::Tree::add(std::string path)
{
    const auto [at, added] = keyIndex.emplace(lowerCase(path), keys.size());
    if (added)
        keys.push_back(Key{std::move(path), {}, {}});
    return keys[at->second];
}

// --- The file ---------------------------------------------------------------------

Registry::Tree Registry::parse(const std::string &text)
{
    Tree tree;
    Key *current = nullptr;
    for (const std::string &line : splitLines(text)) {
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            current = nullptr;
            if (close == std::string::npos || close < 2)
                continue; // damaged header: its values are skipped until the next good one
            // A key met again gathers its values in its first place.
            current = &tree.add(cleanKey(std::string_view(line).substr(1, close - 1)));
            continue;
        }
        const size_t eq = line.find('=');
        if (!current || eq == std::string::npos || eq == 0)
            continue;
        // The first of two equal names wins, as in an ini file.
        current->add(unescapeName(std::string_view(line).substr(0, eq)),
                     unescapeValue(std::string_view(line).substr(eq + 1)));
    }
    return tree;
}

std::string Registry::serialize(const Tree &tree)
{
    std::string out;
    for (const Key &key : tree.keys) {
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

void Registry::reload()
{
    FileContents contents = readSettingsFile(m_path);
    m_readError.clear();
    if (contents.state == FileContents::State::Unreadable)
        m_readError = unreadableStoreText(m_path, contents.reason);
    m_tree = contents.state == FileContents::State::Read ? parse(contents.bytes) : Tree{};
}

bool Registry::keyExists(Hive hive, std::string_view key) const { return m_tree.find(fullPath(hive, key)) != nullptr; }

std::optional<std::string> Registry::readString(Hive hive, std::string_view key, std::string_view name) const
{
    const Key *k = m_tree.find(fullPath(hive, key));
    const Value *v = k ? k->find(name) : nullptr;
    if (!v)
        return std::nullopt;
    return v->data;
}

std::vector<std::string> Registry::valueNames(Hive hive, std::string_view key) const
{
    std::vector<std::string> names;
    if (const Key *k = m_tree.find(fullPath(hive, key)))
        for (const Value &v : k->values)
            names.push_back(v.name);
    return names;
}

void Registry::store(Tree tree, bool keyIsNew, std::string_view key, std::string_view name)
{
    const std::string failedText =
        keyIsNew ? "Failed to create key " + cleanKey(key) : "Failed to set data for '" + std::string(name) + "'";
    writeSettingsFile(
        m_path, serialize(tree), [failedText](const std::string &why) { throw EStoreError(failedText, why); }, true);
    m_tree = std::move(tree);
}

// Every write starts from the file as it is now; a file that is there but
// cannot be read holds settings we do not know, so it is never replaced.
void Registry::reloadForWrite()
{
    reload();
    if (!m_readError.empty())
        throw EStoreError(m_readError, "the file cannot be read");
}

void Registry::createKey(std::string_view key)
{
    reloadForWrite();
    const std::string path = fullPath(Hive::CurrentUser, key);
    if (m_tree.find(path))
        return;
    if (!isStorableKey(path))
        throw EStoreError("Failed to create key " + cleanKey(key), "a key name may not hold control characters");
    Tree tree = m_tree;
    tree.add(path);
    store(std::move(tree), true, key, {});
}

void Registry::writeString(std::string_view key, std::string_view name, std::string_view value)
{
    reloadForWrite();
    const std::string path = fullPath(Hive::CurrentUser, key);
    const bool keyIsNew = m_tree.find(path) == nullptr;
    if (keyIsNew && !isStorableKey(path))
        throw EStoreError("Failed to create key " + cleanKey(key), "a key name may not hold control characters");
    Tree tree = m_tree;
    tree.add(path).set(name, std::string(value));
    store(std::move(tree), keyIsNew, key, name);
}

void Registry::deleteValue(std::string_view key, std::string_view name)
{
    reloadForWrite();
    const std::string path = fullPath(Hive::CurrentUser, key);
    if (!m_tree.find(path))
        return;
    Tree tree = m_tree;
    if (tree.find(path)->erase(name))
        store(std::move(tree), false, key, name);
}

} // namespace tw
