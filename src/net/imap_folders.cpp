#include "net/imap_folders.h"

#include "platform/bytes.h"

#include <algorithm>

namespace tw {

namespace {

std::string leafName(const TImapFolder &folder)
{
    if (folder.delimiter.empty())
        return folder.name;
    const size_t at = folder.name.rfind(folder.delimiter);
    return at == std::string::npos ? folder.name : folder.name.substr(at + folder.delimiter.size());
}

size_t depth(const TImapFolder &folder)
{
    if (folder.delimiter.empty())
        return 0;
    size_t levels = 0;
    for (size_t at = folder.name.find(folder.delimiter); at != std::string::npos;
         at = folder.name.find(folder.delimiter, at + folder.delimiter.size()))
        ++levels;
    return levels;
}

} // namespace

bool TImapFolder::has(const std::string &attribute) const
{
    const std::string wanted = upperCase(attribute);
    return std::find(attributes.begin(), attributes.end(), wanted) != attributes.end();
}

bool TImapFolder::selectable() const { return !has("\\Noselect") && !has("\\NonExistent"); }

std::optional<TImapFolder> folderOf(const TImapResponse &Response)
{
    const std::vector<TImapValue> &data = Response.data;
    if (Response.name != "LIST" || data.size() < 3 || data[0].kind != TImapValue::Kind::List ||
        (data[1].kind != TImapValue::Kind::Nil && !data[1].isText()) || !data[2].isText() || data[2].text.empty() ||
        data[2].droppedBytes > 0)
        return std::nullopt;
    TImapFolder folder;
    for (const TImapValue &attribute : data[0].items)
        if (attribute.kind == TImapValue::Kind::Atom)
            folder.attributes.push_back(upperCase(attribute.text));
    if (data[1].kind != TImapValue::Kind::Nil)
        folder.delimiter = data[1].text;
    folder.name = data[2].text;
    return folder;
}

std::string personalNamespacePrefix(const TImapResponse &Response)
{
    // (("prefix" "delimiter") ...) for the personal name space, then the others.
    if (Response.name != "NAMESPACE" || Response.data.empty() || Response.data[0].kind != TImapValue::Kind::List ||
        Response.data[0].items.empty())
        return {};
    const TImapValue &first = Response.data[0].items[0];
    if (first.kind != TImapValue::Kind::List || first.items.empty() || !first.items[0].isText())
        return {};
    return first.items[0].text;
}

std::optional<std::string> junkFolderOf(const std::vector<TImapFolder> &Folders)
{
    for (const TImapFolder &folder : Folders)
        if (folder.selectable() && folder.has("\\Junk"))
            return folder.name;
    for (const char *name : {"Junk", "Spam"}) {
        const TImapFolder *best = nullptr;
        for (const TImapFolder &folder : Folders)
            if (folder.selectable() && sameText(leafName(folder), name) && (!best || depth(folder) < depth(*best)))
                best = &folder;
        if (best)
            return best->name;
    }
    return std::nullopt;
}

} // namespace tw
