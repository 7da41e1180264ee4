#pragma once
// The folders a server lists (LIST, RFC 3501 7.2.2; the special-use
// attributes of RFC 6154) and the choice of the one that junk goes to.

#include "net/imap_response.h"

#include <optional>
#include <string>
#include <vector>

namespace tw {

struct TImapFolder {
    std::string name;                    // as the server writes it (modified UTF-7)
    std::string delimiter;               // the hierarchy delimiter; "" for a flat name space
    std::vector<std::string> attributes; // upper case: "\JUNK", "\NOSELECT"

    bool has(const std::string &attribute) const; // ignoring case
    // Whether messages can be put into it.
    bool selectable() const;
};

// The folder a "* LIST (attributes) delimiter name" response names; nothing
// when the response is not one.
std::optional<TImapFolder> folderOf(const TImapResponse &Response);

// The personal name space's prefix in a "* NAMESPACE" response ("INBOX."
// on servers that keep every folder below the inbox); "" when there is none.
std::string personalNamespacePrefix(const TImapResponse &Response);

// Where junk goes: the first selectable folder with the \Junk attribute;
// otherwise the one called "Junk", otherwise the one called "Spam" (the
// last part of the name, ignoring case; the shallowest first). Nothing
// when there is none of them.
std::optional<std::string> junkFolderOf(const std::vector<TImapFolder> &Folders);

} // namespace tw
