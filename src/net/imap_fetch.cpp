#include "net/imap_fetch.h"

#include "platform/bytes.h"

namespace tw {

namespace {

[[noreturn]] void fail(const std::string &why)
{
    throw EImapReplyError("The server's FETCH reply could not be read: " + why + ".");
}

uint32_t numberOf(const TImapValue &value, const char *item)
{
    const auto number = value.number();
    if (!number)
        fail(std::string(item) + " is not a number");
    return *number;
}

TImapFetch::Part partOf(const TImapValue &value, const char *item)
{
    if (value.kind == TImapValue::Kind::Nil)
        return {};
    if (value.kind != TImapValue::Kind::String)
        fail(std::string(item) + " is not a string");
    return {value.text, value.droppedBytes};
}

// A section name, with or without the origin of a partial fetch ("<0>").
bool isSection(const std::string &name, const char *section)
{
    return name == section || (startsWith(name, section) && name[std::string_view(section).size()] == '<');
}

bool isMarkedDeleted(const TImapValue &value)
{
    if (value.kind != TImapValue::Kind::List)
        fail("FLAGS is not a list");
    for (const TImapValue &flag : value.items)
        if (flag.kind == TImapValue::Kind::Atom && sameText(flag.text, "\\Deleted"))
            return true;
    return false;
}

} // namespace

TImapFetch fetchOf(const TImapResponse &Response)
{
    if (!Response.number || *Response.number == 0)
        fail("it names no message");
    if (Response.data.size() != 1 || Response.data[0].kind != TImapValue::Kind::List)
        fail("its items are not a list");
    const std::vector<TImapValue> &items = Response.data[0].items;
    if (items.size() % 2 != 0)
        fail("an item has no value");
    TImapFetch fetch;
    fetch.sequence = *Response.number;
    for (size_t i = 0; i < items.size(); i += 2) {
        if (items[i].kind != TImapValue::Kind::Atom)
            fail("an item has no name");
        const std::string name = upperCase(items[i].text);
        const TImapValue &value = items[i + 1];
        if (name == "UID")
            fetch.uid = numberOf(value, "UID");
        else if (name == "RFC822.SIZE")
            fetch.size = numberOf(value, "RFC822.SIZE");
        else if (name == "FLAGS")
            fetch.markedDeleted = isMarkedDeleted(value);
        else if (isSection(name, "BODY[HEADER]") || name == "RFC822.HEADER")
            fetch.header = partOf(value, "the header block");
        else if (isSection(name, "BODY[]") || name == "RFC822")
            fetch.message = partOf(value, "the message");
    }
    return fetch;
}

} // namespace tw
