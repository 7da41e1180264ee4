#include "classify_fixture.h"

#include <gtest/gtest.h>

using namespace tw;
using tw::test::ClassifyWorld;

namespace {
const char *kPlainMessage = "From: \"Sam Sender\" <sam@spam.example>\r\n"
                            "To: me@home.org\r\n"
                            "Subject: Cheap pills for you\r\n"
                            "X-Mailer: BulkBlaster 3\r\n"
                            "Date: Tue, 5 Dec 2000 14:03:22 EST\r\n";
} // namespace

TEST(Classifier, QuestionThenCheckGivesCheckAndCountsBoth)
{
    ClassifyWorld w;
    w.subjectRule("Contains", "pills", false);
    w.senderRule("Domain name", "Equals", "SPAM.example", true);
    const int row = w.addMessage(kPlainMessage);
    w.classifier.MarkForDeletion(row);
    EXPECT_EQ(w.mark(row), mark::CheckMark);
    EXPECT_EQ(w.hits(RuleKind::Subject, 1), "1");
    EXPECT_EQ(w.hits(RuleKind::Sender, 1), "1");
}

TEST(Classifier, CheckMarkStopsLaterStages)
{
    ClassifyWorld w;
    w.settings.cbValid = true;
    w.settings.cbKnownSpammers = true;
    w.settings.cbAscii = true;
    ASSERT_TRUE(w.known.rebuild("spam.example\r\n", "/nonexistent/known.lst"));
    w.subjectRule("Contains", "cheap", true);
    w.subjectRule("Contains", "pills", true);
    w.headerRule("Contains", "X-Mailer: Bulk", true);
    const int row = w.addMessage(kPlainMessage);
    w.classifier.MarkForDeletion(row);
    EXPECT_EQ(w.mark(row), mark::CheckMark);
    EXPECT_EQ(w.hits(RuleKind::Subject, 1), "1");
    EXPECT_EQ(w.hits(RuleKind::Subject, 2), "0") << "the scan stops at the first check-mark rule";
    EXPECT_EQ(w.hits(RuleKind::Header, 1), "0");
    EXPECT_TRUE(w.mx.asked.empty()) << "no DNS query after a check mark";
    EXPECT_EQ(w.settings.edAscii, "0");
}

TEST(Classifier, ExceptionWinsOverEverythingAndExplainsAlone)
{
    ClassifyWorld w;
    w.settings.cbKnownSpammers = true;
    ASSERT_TRUE(w.known.rebuild("badexample.org\r\n", "/nonexistent/known.lst"));
    w.subjectRule("Contains", "hello", true);
    w.exceptionRule("Domain name", "Equals", "example.org", 7);
    const int row = w.addMessage("From: joe@badexample.org\r\nSubject: hello\r\n");
    w.classifier.MarkForDeletion(row);
    EXPECT_EQ(w.mark(row), 7);
    EXPECT_EQ(w.hits(RuleKind::Exception, 1), "1");
    EXPECT_EQ(w.hits(RuleKind::Subject, 1), "0");

    EXPECT_EQ(w.classifier.explain(row),
              (std::vector<std::string>{"Message from joe@badexample.org", "Subject of   hello", "",
                                        "Exception :  Domain name Equals \"example.org\" "}));
    EXPECT_EQ(w.mark(row), 7);
    EXPECT_EQ(w.hits(RuleKind::Exception, 1), "1") << "explaining counts no hits";
}

TEST(Classifier, ExceptionKinds)
{
    struct Case {
        std::string what, op, text;
        bool cs;
        bool matches;
    } cases[] = {
        {"E-mail address", "Equals", "SAM@", false, true},          // "starts with" on the address
        {"Subject", "Contains (whole word)", "pills", false, true},
        {"Subject", "Contains", "PILLS", true, false},
        {"To:", "Equals", "me@home.org", false, true},
        {"CC:", "Contains", "x", false, false},
        {"Any Header", "Starts with", "X-Mailer", false, true},
        {"Any Header", "Starts with", "Date:", false, false},       // the last line is never looked at
        {"Subject", "Is blank", "", false, false},                  // not an exception operator
    };
    for (const auto &c : cases) {
        ClassifyWorld w;
        w.exceptionRule(c.what, c.op, c.text, 5, c.cs);
        const int row = w.addMessage(kPlainMessage);
        w.classifier.MarkForDeletion(row);
        EXPECT_EQ(w.mark(row) == 5, c.matches) << c.what << " " << c.op << " " << c.text;
    }
}

TEST(Classifier, SizeQuestionCanBeRaisedByBlacklist)
{
    ClassifyWorld w;
    w.settings.cbSmaller = true;
    w.settings.nSmaller = 100;
    w.settings.rbSmallerCheck = false;
    const int small = w.addMessage("From: a@fine.example\r\nSubject: hi\r\n", 50);
    w.classifier.MarkForDeletion(small);
    EXPECT_EQ(w.mark(small), mark::QuestionMark);

    w.settings.cbKnownSpammers = true;
    ASSERT_TRUE(w.known.rebuild("fine.example\r\n", "/nonexistent/known.lst"));
    w.classifier.MarkForDeletion(small);
    EXPECT_EQ(w.mark(small), mark::BlacklistMark);

    w.messages.row(small).sizeText = "n/a";
    w.messages.row(small).mark = mark::None;
    w.settings.cbKnownSpammers = false;
    w.classifier.MarkForDeletion(small);
    EXPECT_EQ(w.mark(small), mark::None) << "a size that is no number disables the size test";
}

TEST(Classifier, WhyModeListsEveryMatchAndChangesNothing)
{
    ClassifyWorld w;
    w.settings.cbKnownSpammers = true;
    ASSERT_TRUE(w.known.rebuild("spam.example\r\n", "/nonexistent/known.lst"));
    w.subjectRule("Contains", "Cheap", true, true);
    w.subjectRule("Is UPPERCASE", "", false);
    w.subjectRule("Contains", "pills", false);
    w.senderRule("E-mail address", "All numeric", "", true);
    w.senderRule("E-mail address", "Starts with", "sam", true);
    w.headerRule("Contains", "BulkBlaster", true);
    const int row = w.addMessage(kPlainMessage);
    w.messages.row(row).mark = mark::None;

    const auto lines = w.classifier.explain(row);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Message from sam@spam.example",
                         "Subject of   Cheap pills for you",
                         "",
                         "Delete   :  Subject Contains \"Cheap\"  (Case Sensitive)",
                         "Question :  Subject Contains \"pills\" ",
                         "Delete   :  E-mail address Starts with \"sam\" ",
                         "Delete   :  Header Contains \"BulkBlaster\" ",
                         "Delete   :  Domain \"spam.example\" is on the KNOWN SPAMMER BLACKLIST (you may edit if this "
                         "is in error)",
                         "** You un-marked this message **",
                     }));
    EXPECT_EQ(w.mark(row), mark::None);
    for (RuleKind kind : {RuleKind::Subject, RuleKind::Sender, RuleKind::Header})
        for (int r = 1; r < w.rules.table(kind).RowCount(); ++r)
            EXPECT_EQ(w.hits(kind, r), "0");
}

TEST(Classifier, ExplanationClosingLines)
{
    ClassifyWorld w;
    const int row = w.addMessage("From: a@b.example\r\nSubject: fine\r\n");
    auto lines = w.classifier.explain(row);
    EXPECT_EQ(lines.back(), "Message was neither on the exception list nor on the list of matching criteria");
    EXPECT_EQ(lines.size(), 4u);

    w.messages.row(row).mark = mark::CheckMark; // the user toggled it
    lines = w.classifier.explain(row);
    EXPECT_EQ(lines.back(), "** You marked this message **");
    EXPECT_EQ(w.mark(row), mark::CheckMark);
}

TEST(Classifier, HeaderRuleKinds)
{
    const std::string base = "From: sam@spam.example\r\nTo: other@home.org\r\nSubject: s\r\n";
    struct Case {
        std::string headers;
        std::string what, text;
        int mailbox;
        bool matches;
    } cases[] = {
        {base, "To does not contain", "me@home.org - MailBox #1", 1, true},
        {base, "To does not contain", "me@home.org - MailBox #2", 1, false},
        {base, "To does not contain", "OTHER@home.org - MailBox #1", 1, false},
        {"From: sam@spam.example\r\nSubject: s\r\n", "To does not contain", "me@home.org - MailBox #1", 1, false},
        {base, "To does not contain", "me@home.org - MailBox #", 0, false},
        {base, "To does not contain", " - MailBox #1", 1, false},   // no address: the rule never applies
        {base, "To does not contain", "   - MailBox #1", 1, false},
        {base, "Sender", "does not match Reply-to", 1, false},
        {base + "Reply-to: sam@spam.example\r\nX: last", "Sender", "does not match Reply-to", 1, false},
        {base + "Reply-to: collect@elsewhere.example\r\nX: last", "Sender", "does not match Reply-to", 1, true},
        {base, "Sender", "equals To field", 1, false},
        {"From: me@home.org\r\nTo: Me <ME@home.org>\r\n", "Sender", "equals To field", 1, true},
        {base, "Equals", "subject: S", 1, false},              // the last line is never looked at
        {base + "X: last", "Equals", "subject: S", 1, true},
    };
    for (const auto &c : cases) {
        ClassifyWorld w;
        w.classifier.setMailboxNumber(c.mailbox);
        w.headerRule(c.what, c.text, true);
        const int row = w.addMessage(c.headers);
        w.classifier.MarkForDeletion(row);
        EXPECT_EQ(w.mark(row) == mark::CheckMark, c.matches) << c.what << " / " << c.text << " / " << c.headers;
        EXPECT_EQ(w.hits(RuleKind::Header, 1), c.matches ? "1" : "0");
    }
}

TEST(Classifier, SenderRulesLookAtTheRightPartOfTheAddress)
{
    struct Case {
        std::string kind, op, text, address;
        bool matches;
    } cases[] = {
        {"E-mail address", "All numeric", "", "12345@aol.example", true},
        {"E-mail address", "Equals", "12345@AOL.example", "12345@aol.example", true},
        {"Domain name", "Equals", "aol.example", "12345@aol.example", true},
        {"Domain name", "First char numeric", "", "joe@9mail.example", true},
        {"E-mail address", "Is UPPERCASE", "", "JOE@mail.example", true},
        {"Domain name", "Equals", "nodomain", "nodomain", true},
        {"E-mail address", "50% numeric", "", "joe@12345.example", false},
    };
    for (const auto &c : cases) {
        ClassifyWorld w;
        w.senderRule(c.kind, c.op, c.text, false);
        const int row = w.addMessage("From: " + c.address + "\r\nSubject: s\r\n");
        w.classifier.MarkForDeletion(row);
        EXPECT_EQ(w.mark(row) == mark::QuestionMark, c.matches) << c.kind << " " << c.op << " " << c.address;
    }
}

TEST(Classifier, ReadingStopsAtFirstEmptyRuleRow)
{
    ClassifyWorld w;
    w.subjectRule("Contains", "nothing", true);
    w.rules.subject.addRow(); // an empty row ends the subject rules
    w.subjectRule("Contains", "pills", true);
    const int row = w.addMessage(kPlainMessage);
    w.classifier.MarkForDeletion(row);
    EXPECT_EQ(w.mark(row), mark::None);
}

TEST(Classifier, AutoMarkStartsOverAndReportsWhetherAnythingIsMarked)
{
    ClassifyWorld w;
    w.subjectRule("Contains", "pills", false);
    w.addMessage(kPlainMessage);
    w.addMessage("From: a@b.example\r\nSubject: fine\r\n");
    w.messages.row(1).mark = mark::CheckMark;
    EXPECT_FALSE(w.classifier.btRemarkClick());
    EXPECT_EQ(w.mark(0), mark::QuestionMark);
    EXPECT_EQ(w.mark(1), mark::None);

    w.subjectRule("Contains", "fine", true);
    EXPECT_TRUE(w.classifier.btRemarkClick());
    EXPECT_EQ(w.hits(RuleKind::Subject, 1), "2") << "each auto mark counts hits again";
}

TEST(Classifier, NonEnglishThresholds)
{
    struct Case {
        std::string subject;
        int range;
        bool flagged;
    } cases[] = {
        {"abcdefg\x80\x81\x82", 0, true},  // 3 of 10
        {"abcdefg\x80\x81\x82", 1, false}, // 30 < 33
        {"abcdef\x80\x81\x82\x83", 1, true},
        {"abcdef\x80\x81\x82\x83", 2, false},
        {"\xE9\xE8\xE0", 3, true},
        {"\xE9\xE8\xE0", 7, true},
        {"tab\there", 0, true},
        {"del\x7Fhere", 0, false},
        {"plain", 0, false},
        // Shares are of characters, not of the bytes UTF-8 gives them.
        {"abcdefg\u00e9\u00e8\u00e0", 1, false}, // 3 of 10
        {"ab\u4e2d", 2, false},                   // 1 of 3
        {"a\u4e2d", 2, true},                     // 1 of 2
    };
    for (const auto &c : cases) {
        ClassifyWorld w;
        w.settings.cbAscii = true;
        w.settings.Range = c.range;
        const int row = w.addMessage("From: a@b.example\r\nSubject: " + c.subject + "\r\n");
        w.classifier.MarkForDeletion(row);
        EXPECT_EQ(w.mark(row) == mark::QuestionMark, c.flagged) << c.subject << " range " << c.range;
        EXPECT_EQ(w.settings.edAscii, c.flagged ? "1" : "0");
    }
}

TEST(Classifier, NonEnglishSenderNameIgnoresCommentAndCountsEveryDetection)
{
    ClassifyWorld w;
    w.settings.cbAscii = true;
    w.settings.rbAsciiCheck = true;
    w.settings.edAscii = "junk";
    const int commented = w.addMessage("From: Bob (\xC4\xD6\xDC) <bob@x.example>\r\nSubject: hi\r\n");
    const int asian = w.addMessage("From: \xB0\xA1\xB0\xA2 <kim@x.example>\r\nSubject: hi\r\n");
    w.classifier.MarkForDeletion(-1);
    EXPECT_EQ(w.mark(commented), mark::None);
    EXPECT_EQ(w.mark(asian), mark::CheckMark);
    EXPECT_EQ(w.settings.edAscii, "1") << "a counter that is no number restarts";

    const auto lines = w.classifier.explain(asian);
    // No charset declared: the raw bytes read as Latin-1.
    EXPECT_EQ(lines[3], "Delete   :  Sender (\u00b0\u00a1\u00b0\u00a2 <kim@x.example>)  contains one or more "
                        "\"Non-English (garbled) characters\" ");
    EXPECT_EQ(w.settings.edAscii, "2");
}

TEST(Classifier, ACancelledDomainLookupNeitherCondemnsNorIsRemembered)
{
    ClassifyWorld w;
    w.settings.cbValid = true;
    const int row = w.addMessage("From: a@gone.example\r\n");
    w.mx.cancel = true;
    w.classifier.MarkForDeletion(row);
    EXPECT_EQ(w.mark(row), mark::None);
    EXPECT_EQ(w.settings.edUnknown, "0");
    w.mx.cancel = false;
    w.classifier.MarkForDeletion(row); // asked again, and now found unknown
    EXPECT_EQ(w.mark(row), mark::QuestionMark);
    EXPECT_EQ(w.mx.asked.size(), 2u);
}

TEST(Classifier, UnknownDomainsAreAskedOnceAndCached)
{
    ClassifyWorld w;
    w.settings.cbValid = true;
    w.mx.existing = {"Good.example", "nomx.example"};
    const int sameDomain = w.addMessage("From: a@GOOD.example\r\nReply-to: b@Good.example\r\n");
    const int bad1 = w.addMessage("From: a@gone.example\r\n");
    const int bad2 = w.addMessage("From: z@GONE.example\r\n");
    const int replyDecides = w.addMessage("From: a@gone.example\r\nReply-to: r@nomx.example\r\n");
    const int noAddress = w.addMessage("Subject: nobody\r\n");
    const int bare = w.addMessage("From: localonly\r\n");
    w.classifier.MarkForDeletion(-1);

    EXPECT_EQ(w.mx.asked, (std::vector<std::string>{"Good.example", "gone.example", "nomx.example", "localonly"}));
    EXPECT_EQ(w.mark(sameDomain), mark::None);
    EXPECT_EQ(w.mark(bad1), mark::QuestionMark);
    EXPECT_EQ(w.mark(bad2), mark::QuestionMark);
    EXPECT_EQ(w.mark(replyDecides), mark::None);
    EXPECT_EQ(w.mark(noAddress), mark::None);
    EXPECT_EQ(w.mark(bare), mark::QuestionMark);
    EXPECT_EQ(w.settings.edUnknown, "2") << "counts distinct domains, not messages";
    EXPECT_EQ(w.domains.lbOkDomains(), (std::vector<std::string>{"good.example", "nomx.example"}));
    EXPECT_EQ(w.domains.lbBadDomains(), (std::vector<std::string>{"gone.example", "localonly"}));

    w.settings.rbCheck = true;
    w.messages.row(bad1).mark = mark::None;
    const auto lines = w.classifier.explain(bad1);
    EXPECT_EQ(lines[3], "Delete   :  Reply to or From (gone.example)  is an \"Unknown domain\" ");
    w.classifier.MarkForDeletion(bad1);
    EXPECT_EQ(w.mark(bad1), mark::CheckMark);
    EXPECT_EQ(w.mx.asked.size(), 4u);
}

TEST(Classifier, LineRulesCountEveryMatchingLineAndWhyListsThem)
{
    ClassifyWorld w;
    w.headerRule("Starts with", "Received:", false);
    const std::string headers = "Received: one\r\nReceived: two\r\nSubject: s\r\nReceived: last line\r\n";
    const int row = w.addMessage(headers);
    w.classifier.MarkForDeletion(row);
    EXPECT_EQ(w.mark(row), mark::QuestionMark);
    EXPECT_EQ(w.hits(RuleKind::Header, 1), "2") << "one hit per matching line, the last line excepted";

    ClassifyWorld e;
    e.exceptionRule("Any Header", "Starts with", "received:", 9);
    const int excepted = e.addMessage(headers);
    const auto lines = e.classifier.explain(excepted);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
              (std::vector<std::string>{"Exception :  Any Header Received: one Starts with \"received:\" ",
                                        "Exception :  Any Header Received: two Starts with \"received:\" ",
                                        "** You un-marked this message **"}));
}

TEST(Classifier, RulesMatchRawEightBitHeadersInTheirRealScript)
{
    // "[광고]" (advertisement) written in EUC-KR without an encoded word; the
    // Content-Type names the set. Rules are typed in UTF-8.
    const std::string headers = "From: \xB1\xA4\xB0\xED <ad@spam.example>\r\n"
                                "Subject: [\xB1\xA4\xB0\xED] cheap\r\n"
                                "Content-Type: text/html; charset=\"euc-kr\"\r\n"
                                "X: last\r\n";
    const struct {
        const char *what;
        void (*addRule)(ClassifyWorld &);
        RuleKind kind;
    } cases[] = {
        {"subject rule", [](ClassifyWorld &w) { w.subjectRule("Contains", "[\uad11\uace0]", true); },
         RuleKind::Subject},
        {"header line rule", [](ClassifyWorld &w) { w.headerRule("Contains", "Subject: [\uad11\uace0]", true); },
         RuleKind::Header},
        {"exception on a header value",
         [](ClassifyWorld &w) { w.exceptionRule("From", "Starts with", "\uad11\uace0", 5); }, RuleKind::Exception},
    };
    for (const auto &c : cases) {
        ClassifyWorld w;
        c.addRule(w);
        const int row = w.addMessage(headers);
        EXPECT_EQ(w.messages.row(row).subject, "[\uad11\uace0] cheap");
        EXPECT_EQ(w.messages.row(row).senderName, "\uad11\uace0");
        w.classifier.MarkForDeletion(row);
        EXPECT_NE(w.mark(row), mark::None) << c.what;
        EXPECT_EQ(w.hits(c.kind, 1), "1") << c.what;
    }
}
