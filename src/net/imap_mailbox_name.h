#pragma once
// Folder names as IMAP writes them: printable ASCII stands for itself, "&"
// is "&-", and any other character goes as UTF-16 in a modified base64
// between "&" and "-" (RFC 3501 5.1.3, "modified UTF-7"): "Entwürfe" is
// "Entw&APw-rfe". Users type and read names in UTF-8.

#include <string>
#include <string_view>

namespace tw {

// The name a server knows for the folder the user calls Name (UTF-8).
std::string imapMailboxName(std::string_view name);

// The name a user reads for a server's folder name; a name that is not
// valid modified UTF-7 is given back as it is.
std::string imapMailboxDisplayName(std::string_view name);

} // namespace tw
