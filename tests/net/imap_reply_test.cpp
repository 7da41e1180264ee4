// Reading IMAP replies without a server: the parser, literal markers, the
// reader that takes literals exactly, and the pieces that make sense of
// what a reply says (FETCH items, capabilities, folders, UID sets, folder
// names).
#include "fixtures/imap_memory_input.h"
#include "fixtures/raised.h"
#include "net/imap_capabilities.h"
#include "net/imap_fetch.h"
#include "net/imap_folders.h"
#include "net/imap_mailbox_name.h"
#include "net/imap_reply_reader.h"
#include "net/imap_uid_set.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

std::string describe(const TImapValue &value)
{
    switch (value.kind) {
    case TImapValue::Kind::Atom: return value.text;
    case TImapValue::Kind::String: return "\"" + value.text + "\"";
    case TImapValue::Kind::Nil: return "NIL";
    case TImapValue::Kind::List: break;
    }
    std::string text = "(";
    for (const TImapValue &item : value.items)
        text += (text.size() > 1 ? " " : "") + describe(item);
    return text + ")";
}

// One line per part that is set: what a test compares.
std::string describe(const TImapResponse &r)
{
    std::string text = r.kind == TImapResponse::Kind::Continuation ? "+"
                       : r.kind == TImapResponse::Kind::Tagged     ? "tag " + r.tag
                                                                   : "*";
    if (r.isStatus())
        text += " status " + r.status;
    if (!r.code.empty())
        text += " code " + r.code + (r.codeArguments.empty() ? "" : "=" + r.codeArguments);
    if (r.number)
        text += " number " + std::to_string(*r.number);
    if (!r.name.empty())
        text += " name " + r.name;
    for (const TImapValue &value : r.data)
        text += " " + describe(value);
    if (!r.text.empty())
        text += " text " + r.text;
    return text;
}

TImapResponse parse(std::vector<std::string> lines, std::vector<std::string> literals = {})
{
    TImapRawResponse raw;
    raw.lines = std::move(lines);
    for (std::string &bytes : literals)
        raw.literals.push_back({std::move(bytes), 0});
    return parseImapResponse(raw);
}

TEST(ImapReply, EveryKindOfResponseIsRead)
{
    struct Case {
        std::vector<std::string> lines, literals;
        std::string expected;
    } cases[] = {
        {{"* OK [UIDVALIDITY 3857529045] UIDs valid"}, {}, "* status OK code UIDVALIDITY=3857529045 text UIDs valid"},
        {{"a7 NO [AUTHENTICATIONFAILED] Authentication failed."}, {},
         "tag a7 status NO code AUTHENTICATIONFAILED text Authentication failed."},
        {{"a2 ok done"}, {}, "tag a2 status OK text done"},
        {{"a3 OK"}, {}, "tag a3 status OK"},
        {{"* OK [READ-WRITE]"}, {}, "* status OK code READ-WRITE"},
        {{"* OK [PERMANENTFLAGS (\\Deleted \\Seen \\*)] Limited"}, {},
         "* status OK code PERMANENTFLAGS=(\\Deleted \\Seen \\*) text Limited"},
        {{"* BYE shutting down"}, {}, "* status BYE text shutting down"},
        {{"+ dGVzdA=="}, {}, "+ text dGVzdA=="},
        {{"+"}, {}, "+"},
        {{"* 12 EXISTS"}, {}, "* number 12 name EXISTS"},
        {{"* 3 expunge"}, {}, "* number 3 name EXPUNGE"},
        {{"* CAPABILITY IMAP4rev1 AUTH=PLAIN SASL-IR"}, {}, "* name CAPABILITY IMAP4rev1 AUTH=PLAIN SASL-IR"},
        {{"* FLAGS (\\Answered \\Flagged $Junk)"}, {}, "* name FLAGS (\\Answered \\Flagged $Junk)"},
        {{"* LIST (\\HasNoChildren \\Junk) \".\" \"Junk\""}, {}, "* name LIST (\\HasNoChildren \\Junk) \".\" \"Junk\""},
        {{"* LIST () \"/\" [Gmail]/Spam"}, {}, "* name LIST () \"/\" [Gmail]/Spam"},
        {{"* LIST (\\Noselect) NIL {6}", ""}, {"Ab\"c)d"}, "* name LIST (\\Noselect) NIL \"Ab\"c)d\""},
        {{"* 1 FETCH (UID 7 RFC822.SIZE 42 BODY[HEADER] {5}", ")"}, {"a\r\nb)"},
         "* number 1 name FETCH (UID 7 RFC822.SIZE 42 BODY[HEADER] \"a\r\nb)\")"},
        {{"* 2 FETCH (BODY[HEADER] {2}", " UID 9 FLAGS (\\Seen))"}, {"xy"},
         "* number 2 name FETCH (BODY[HEADER] \"xy\" UID 9 FLAGS (\\Seen))"},
        {{"* 2 FETCH (BODY[HEADER] {0}", " BODY[] {3+}", ")"}, {"", "abc"},
         "* number 2 name FETCH (BODY[HEADER] \"\" BODY[] \"abc\")"},
        {{"* 1 FETCH (BODY[HEADER.FIELDS (FROM SUBJECT)]<0> NIL)"}, {},
         "* number 1 name FETCH (BODY[HEADER.FIELDS (FROM SUBJECT)]<0> NIL)"},
        {{"* 1 FETCH (X \"a\\\"b\\\\c\")"}, {}, "* number 1 name FETCH (X \"a\"b\\c\")"},
        {{"* NAMESPACE ((\"INBOX.\" \".\")) NIL NIL"}, {}, "* name NAMESPACE ((\"INBOX.\" \".\")) NIL NIL"},
        {{"*  SEARCH  2   4 "}, {}, "* name SEARCH 2 4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.front());
        EXPECT_EQ(describe(parse(c.lines, c.literals)), c.expected);
    }
}

TEST(ImapReply, WhatIsNoResponseIsRefused)
{
    struct Case {
        std::vector<std::string> lines, literals;
    } cases[] = {
        {{""}, {}},
        {{"a1"}, {}},
        {{"*x OK"}, {}},
        {{"a1 FETCH (1)"}, {}},
        {{"* 5"}, {}},
        {{"* 99999999999 EXISTS"}, {}},
        {{"* 1 FETCH (UID \"7)"}, {}},
        {{"* 1 FETCH (UID 7"}, {}},
        {{"* 1 FETCH (UID 7)", ")"}, {"x"}},       // a literal that no line announced
        {{"* 1 FETCH (X {1}"}, {}},                  // a marker without its literal
        {{"* 1 FETCH (\x01)"}, {}},
        {{"* 1 FETCH " + std::string(40, '(') + std::string(40, ')')}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lines.front());
        TImapRawResponse raw;
        raw.lines = c.lines;
        for (const std::string &bytes : c.literals)
            raw.literals.push_back({bytes, 0});
        EXPECT_THROW(parseImapResponse(raw), EImapReplyError);
    }
}

TEST(ImapReply, ARefusalIsQuotedSafelyWithoutItsTag)
{
    EXPECT_EQ(parse({"a4 NO [TRYCREATE] No\tsuch\x1b[2Jfolder"}).quoted(), "NO [TRYCREATE] No such [2Jfolder");
    const std::string quoted = parse({"a4 BAD " + std::string(500, 'x')}).quoted();
    EXPECT_EQ(quoted.size(), TImapResponse::MaxQuoted + 3);
    EXPECT_EQ(quoted.substr(quoted.size() - 3), "...");
}

TEST(ImapReply, LiteralMarkersAtTheEndOfALine)
{
    struct Case {
        const char *line;
        long long start; // -1: none
        uint64_t size;
    } cases[] = {
        {"{5}", 0, 5},
        {"* 1 FETCH (BODY[] {0}", 18, 0},
        {"A LOGIN {11+}", 8, 11},
        {"* 1 FETCH (BINARY[] ~{7}", 20, 7},
        {"{99999999999999999999999}", 0, UINT64_MAX},
        {"{}", -1, 0},
        {"{5", -1, 0},
        {"5}", -1, 0},
        {"{x}", -1, 0},
        {"{5} ", -1, 0},
        {"", -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const auto marker = literalMarker(c.line);
        ASSERT_EQ(marker.has_value(), c.start >= 0);
        if (marker) {
            EXPECT_EQ((long long)marker->start, c.start);
            EXPECT_EQ(marker->size, c.size);
        }
    }
}

TEST(ImapReply, TheReaderTakesLiteralsExactlyAndDropsWhatItCannotKeep)
{
    ImapMemoryInput input("* 1 FETCH (BODY[HEADER] {10}\r\n0123\r\n6789 UID 5)\r\n"
                          "* 2 FETCH (BODY[HEADER] {3}\r\n{1})\r\n"
                          "a1 OK done\r\n");
    TImapReadLimits limits;
    limits.MaxKeptPerLiteral = 4;

    const TImapResponse first = readImapResponse(input, limits);
    ASSERT_EQ(first.data.size(), 1u);
    EXPECT_EQ(first.data[0].items.at(1).text, "0123");
    EXPECT_EQ(first.data[0].items.at(1).droppedBytes, 6);
    EXPECT_EQ(first.data[0].items.at(3).text, "5");
    // A literal that looks like a marker is data, not another literal.
    EXPECT_EQ(readImapResponse(input, limits).data[0].items.at(1).text, "{1}");
    EXPECT_EQ(readImapResponse(input, limits).tag, "a1");
    EXPECT_TRUE(input.atEnd());

    // What all literals of one reply keep is bounded too.
    ImapMemoryInput several("* 1 FETCH (A {4}\r\nabcd B {4}\r\nefgh C {4}\r\nijkl)\r\n");
    limits.MaxKeptBytes = 6;
    const TImapResponse cut = readImapResponse(several, limits);
    EXPECT_EQ(cut.data[0].items.at(1).text, "abcd");
    EXPECT_EQ(cut.data[0].items.at(3).text, "ef");
    EXPECT_EQ(cut.data[0].items.at(5).text, "");
    EXPECT_EQ(cut.data[0].items.at(5).droppedBytes, 4);
}

TEST(ImapReply, ALiteralPastTheBoundsIsRefusedBeforeItIsRead)
{
    TImapReadLimits limits;
    limits.MaxLiteralBytes = 100;
    limits.MaxLiterals = 2;
    ImapMemoryInput large("* 1 FETCH (BODY[] {101}\r\n");
    EXPECT_EQ(raisedText<EImapReplyError>([&] { readImapResponse(large, limits); }),
              "Server reply is larger than allowed");
    ImapMemoryInput many("* 1 FETCH (A {1}\r\na B {1}\r\nb C {1}\r\nc)\r\n");
    EXPECT_THROW(readImapResponse(many, limits), EImapReplyError);
    ImapMemoryInput huge("* 1 FETCH (BODY[] {99999999999999999999}\r\n");
    EXPECT_THROW(readImapResponse(huge), EImapReplyError);
}

TEST(ImapReply, FetchItemsInAnyOrder)
{
    const TImapFetch fetch = fetchOf(parse({"* 4 FETCH (FLAGS (\\Seen) BODY[HEADER] {4}", " rfc822.size 120 uid 77)"},
                                           {"a: b"}));
    EXPECT_EQ(fetch.sequence, 4u);
    EXPECT_EQ(fetch.uid, 77u);
    EXPECT_EQ(fetch.size, 120u);
    ASSERT_TRUE(fetch.header);
    EXPECT_EQ(fetch.header->bytes, "a: b");
    EXPECT_FALSE(fetch.message);

    const TImapFetch flagsOnly = fetchOf(parse({"* 2 FETCH (FLAGS (\\Deleted))"}));
    EXPECT_FALSE(flagsOnly.uid || flagsOnly.size || flagsOnly.header);
    EXPECT_EQ(fetchOf(parse({"* 2 FETCH (UID 3 BODY[HEADER] NIL)"})).header->bytes, "");

    for (const char *bad : {"* 1 FETCH UID 3", "* 1 FETCH (UID)", "* 1 FETCH (UID x)", "* 1 FETCH (UID -3)",
                            "* 1 FETCH (RFC822.SIZE 4294967296)", "* 1 FETCH ((UID) 3)", "* 0 FETCH (UID 3)",
                            "* 1 FETCH (BODY[HEADER] (a))"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(fetchOf(parse({bad})), EImapReplyError);
    }
}

TEST(ImapReply, CapabilitiesAndTheirMechanisms)
{
    const TImapCapabilities listed = TImapCapabilities::fromText("IMAP4rev1 AUTH=PLAIN auth=xoauth2  MOVE AUTH=");
    EXPECT_TRUE(listed.has("move"));
    EXPECT_TRUE(listed.has("IMAP4REV1"));
    EXPECT_FALSE(listed.has("UIDPLUS"));
    EXPECT_EQ(listed.saslMechanisms(), (std::vector<std::string>{"PLAIN", "XOAUTH2"}));
    const TImapCapabilities fromData = TImapCapabilities::fromData(parse({"* CAPABILITY STARTTLS (X) LOGINDISABLED"}).data);
    EXPECT_TRUE(fromData.has("LOGINDISABLED"));
    EXPECT_FALSE(fromData.has("X"));
}

TEST(ImapReply, TheJunkFolderIsFoundByItsUseThenByItsName)
{
    struct Case {
        const char *name;
        std::vector<std::string> lists;
        std::optional<std::string> junk;
    } cases[] = {
        {"the \\Junk folder, whatever its name",
         {"* LIST () \"/\" Junk", "* LIST (\\HasNoChildren \\Junk) \"/\" \"[Gmail]/Spam\""},
         "[Gmail]/Spam"},
        {"a \\Junk folder that cannot hold messages is passed over",
         {"* LIST (\\Noselect \\Junk) \"/\" Bulk", "* LIST () \"/\" spam"},
         "spam"},
        {"Junk before Spam", {"* LIST () \".\" Spam", "* LIST () \".\" INBOX.Junk"}, "INBOX.Junk"},
        {"the shallowest Junk", {"* LIST () \"/\" Archive/2020/Junk", "* LIST () \"/\" JUNK"}, "JUNK"},
        {"only a part of the name", {"* LIST () \"/\" \"Junk Mail\"", "* LIST () \"/\" Junk/Old"}, std::nullopt},
        {"nothing", {"* LIST () \"/\" INBOX"}, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TImapFolder> folders;
        for (const std::string &list : c.lists) {
            const auto folder = folderOf(parse({list}));
            ASSERT_TRUE(folder) << list;
            folders.push_back(*folder);
        }
        EXPECT_EQ(junkFolderOf(folders), c.junk);
    }
    EXPECT_FALSE(folderOf(parse({"* LIST (\\Junk) \"/\""})));
    EXPECT_FALSE(folderOf(parse({"* LSUB () \"/\" Junk"})));
    EXPECT_EQ(personalNamespacePrefix(parse({"* NAMESPACE ((\"INBOX.\" \".\")) NIL NIL"})), "INBOX.");
    EXPECT_EQ(personalNamespacePrefix(parse({"* NAMESPACE NIL NIL NIL"})), "");
}

TEST(ImapReply, UidSetsForCommandsAndFromCopyUid)
{
    std::vector<std::string> texts;
    for (const TUidSet &set : uidSets({9, 1, 2, 3, 7, 3, 10}, 100))
        texts.push_back(set.text);
    EXPECT_EQ(texts, std::vector<std::string>{"1:3,7,9:10"});

    const std::vector<TUidSet> pieces = uidSets({1, 3, 5, 7, 9}, 4);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].text, "1,3");
    EXPECT_EQ(pieces[0].uids, (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(pieces[2].text, "9");
    EXPECT_TRUE(uidSets({}, 100).empty());

    EXPECT_EQ(uidsOfSet("4,9:7,12", 10), (std::vector<uint32_t>{4, 7, 8, 9, 12}));
    for (const char *bad : {"", "0", "a", "1:", ":3", "1,,2", "4294967296", "-1", "+3", "1:4294967295"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(uidsOfSet(bad, 10));
    }
}

TEST(ImapReply, FolderNamesInModifiedUtf7)
{
    struct Case {
        const char *user, *server;
    } cases[] = {
        {"INBOX", "INBOX"},
        {"Entwürfe", "Entw&APw-rfe"},
        {"Tom & Jerry", "Tom &- Jerry"},
        {"台北/日本語", "&U,BTFw-/&ZeVnLIqe-"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.user);
        EXPECT_EQ(imapMailboxName(c.user), c.server);
        EXPECT_EQ(imapMailboxDisplayName(c.server), c.user);
    }
    for (const char *odd : {"&Jjo", "&*-", "caf\xc3\xa9"})
        EXPECT_EQ(imapMailboxDisplayName(odd), odd);
}

} // namespace
