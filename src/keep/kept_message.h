#pragma once
// One kept copy of a deleted message, as its row in the index of the
// deleted-mail folder describes it.

#include <QtGlobal>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

struct KeptMessage {
    std::string fileName;        // the copy's file in the deleted-mail folder
    qint64 deletedAt = 0;        // when it was deleted: seconds since 1970-01-01 UTC
    int mailbox = 0;             // the mailbox number (1..12), 0 when unknown
    std::string server;
    std::string user;
    std::string uidl;            // the server's unique id, "" when it gave none
    long long size = 0;          // the message's size as the server listed it
    long long storedBytes = 0;   // the size of the copy
    bool headersOnly = false;    // the message was too large: only its header block is kept
    std::string subject;
    std::string senderAddress;
    std::string senderName;
    std::vector<std::string> why;  // the explanation of its mark, line by line

    // Where an IMAP message went, so that it can be moved back. A POP3
    // message has protocol 0 and none of these. Folder names are kept as the
    // server writes them (as TImapMoveRecord holds them, not decoded).
    int protocol = 0;                    // 0 POP3, 1 IMAP (as Protocol<n>)
    std::string imapFolder;              // the folder it was listed in
    std::string imapJunkFolder;          // the folder it was moved to, "" when deleted for good
    uint32_t imapSourceUidValidity = 0;  // UIDVALIDITY of imapFolder at the listing
    uint32_t imapJunkUidValidity = 0;    // of imapJunkFolder (COPYUID), 0 when the server gave none
    uint32_t imapSourceUid = 0;          // its UID in imapFolder
    uint32_t imapJunkUid = 0;            // its UID in imapJunkFolder (COPYUID), 0 when the server gave none

    bool isImap() const { return protocol == 1; }
    bool operator==(const KeptMessage &) const = default;
};

} // namespace tw
