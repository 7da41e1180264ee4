// The unknown-domain test during a listing: queries go out together and
// the answers come later. The marks and counts must end as they did when
// every row waited for its own answer, and a DNS server that answers
// nothing must not condemn anybody.
#include "classify_fixture.h"

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

// The same mailbox and rules in a world of their own.
void fill(ClassifyWorld &w, bool domainsGetCheckMarks)
{
    w.settings.cbValid = true;
    w.settings.cbKnownSpammers = true;
    w.settings.rbCheck = domainsGetCheckMarks;
    w.mx.existing = {"good.example", "list.example"};
    w.known.rebuild("spammer@gone.example\r\n", "/nonexistent/known.lst");
    w.subjectRule("Contains", "offer", false);
    w.subjectRule("Contains", "winner", true);
    w.headerRule("Starts with", "X-Mailer: Blaster", false);
    const char *messages[] = {
        "From: a@good.example\r\nSubject: hello\r\n",
        "From: b@gone.example\r\nSubject: an offer\r\n",
        "From: spammer@gone.example\r\nSubject: hi\r\n",
        "From: c@GONE.example\r\nSubject: winner\r\n",
        "From: d@lost.example\r\nSubject: another offer\r\nX-Mailer: Blaster 2\r\n",
        "From: e@good.example\r\nReply-to: f@lost.example\r\nSubject: hi\r\n",
        "From: g@list.example\r\nSubject: news\r\n",
        "Subject: nobody\r\n",
    };
    for (const char *headers : messages)
        w.addMessage(headers);
}

struct Outcome {
    std::vector<int> marks;
    std::vector<std::string> hits;
    std::string unknownCount;
};

Outcome outcomeOf(ClassifyWorld &w)
{
    Outcome o;
    for (int i = 0; i < w.messages.count(); ++i)
        o.marks.push_back(w.mark(i));
    for (RuleKind kind : {RuleKind::Subject, RuleKind::Header})
        for (int r = 1; r < w.rules.table(kind).RowCount(); ++r)
            o.hits.push_back(w.hits(kind, r));
    o.unknownCount = w.settings.edUnknown;
    return o;
}

TEST(DeferredDomains, AnswersThatComeLaterEndInTheSameMarksAndCounts)
{
    for (const bool checkMarks : {false, true}) {
        SCOPED_TRACE(checkMarks ? "unknown domains get a check mark" : "unknown domains get a question mark");
        // Each row waits for its answer as it is listed, then the last pass.
        ClassifyWorld waiting;
        fill(waiting, checkMarks);
        for (int i = 0; i < waiting.messages.count(); ++i)
            waiting.classifier.MarkForDeletion(i);
        waiting.classifier.MarkForDeletion(-1);

        // The listing asks and goes on; the answers come in another order.
        ClassifyWorld listing;
        fill(listing, checkMarks);
        FakeAsker asker;
        listing.domains.setAsker(&asker);
        for (int i = 0; i < listing.messages.count(); ++i)
            listing.classifier.MarkForDeletion(i);
        EXPECT_EQ(asker.asked, (std::vector<std::string>{"good.example", "gone.example", "lost.example",
                                                         "list.example"}));
        EXPECT_EQ(listing.domains.pending(), 4);
        for (auto it = asker.asked.rbegin(); it != asker.asked.rend(); ++it)
            if (listing.domains.takeAnswer(*it, listing.mx.outcome(*it), listing.settings))
                listing.classifier.reclassifyQuietly(listing.classifier.takeRowsWaitingFor(*it));
        // The rows have their marks before the last pass.
        EXPECT_EQ(outcomeOf(listing).marks, outcomeOf(waiting).marks);
        listing.domains.stopAsking();
        listing.classifier.MarkForDeletion(-1);

        const Outcome expected = outcomeOf(waiting);
        const Outcome got = outcomeOf(listing);
        EXPECT_EQ(got.marks, expected.marks);
        EXPECT_EQ(got.hits, expected.hits);
        EXPECT_EQ(got.unknownCount, expected.unknownCount);
        EXPECT_EQ(got.unknownCount, "2");
        EXPECT_TRUE(listing.mx.asked.empty()) << "nothing was asked one at a time";
    }
}

TEST(DeferredDomains, AServerThatAnswersNoneOfTheFirstQueriesIsSkippedForTheCheck)
{
    ClassifyWorld w;
    fill(w, true);
    w.mx.silent = {"good.example", "gone.example", "lost.example", "list.example"};
    FakeAsker asker;
    int toldUnreachable = 0;
    w.domains.OnDnsUnreachable = [&] { ++toldUnreachable; };
    w.domains.setAsker(&asker);
    for (int i = 0; i < 3; ++i)
        w.classifier.MarkForDeletion(i);
    ASSERT_EQ(asker.asked.size(), 2u);
    EXPECT_FALSE(w.domains.takeAnswer("gone.example", TMXOutcome::NoAnswer, w.settings));
    EXPECT_TRUE(w.domains.dnsUnreachable());
    EXPECT_EQ(toldUnreachable, 1);
    EXPECT_EQ(w.domains.pending(), 0) << "the other queries are given up";
    EXPECT_GE(asker.cancels, 1);
    // The rest of the check asks nothing more and condemns nobody.
    for (int i = 3; i < w.messages.count(); ++i)
        w.classifier.MarkForDeletion(i);
    EXPECT_EQ(asker.asked.size(), 2u);
    EXPECT_FALSE(w.domains.takeAnswer("good.example", TMXOutcome::NoAnswer, w.settings));
    w.domains.stopAsking();
    w.classifier.MarkForDeletion(-1);
    EXPECT_EQ(w.mark(1), mark::QuestionMark);  // its subject rule, not its domain
    EXPECT_EQ(w.mark(2), mark::BlacklistMark); // the blacklist still works
    EXPECT_EQ(w.mark(6), mark::None);
    EXPECT_EQ(w.settings.edUnknown, "0");
    EXPECT_EQ(toldUnreachable, 1);
    EXPECT_TRUE(w.domains.lbBadDomains().empty());

    // The next check asks again; a server that answers others makes a silent
    // domain unknown, as it always did.
    w.domains.beginCheck();
    EXPECT_FALSE(w.domains.dnsUnreachable());
    w.mx.silent = {"lost.example"};
    w.domains.setAsker(nullptr);
    w.classifier.MarkForDeletion(-1);
    EXPECT_EQ(w.domains.lbBadDomains(), (std::vector<std::string>{"gone.example", "lost.example"}));
    EXPECT_EQ(toldUnreachable, 1);
}

TEST(DeferredDomains, AListsRefusalIsNeitherUnknownNorCountedNorKept)
{
    for (const bool deferred : {false, true}) {
        SCOPED_TRACE(deferred ? "during a listing" : "asked at once");
        ClassifyWorld w;
        w.settings.cbValid = true;
        w.settings.rbCheck = true;
        w.mx.refused = {"refused.example"};
        const int row = w.addMessage("From: a@refused.example\r\n");
        FakeAsker asker;
        if (deferred)
            w.domains.setAsker(&asker);
        w.classifier.MarkForDeletion(row);
        if (deferred) {
            EXPECT_FALSE(w.domains.takeAnswer("refused.example", TMXOutcome::CouldNotCheck, w.settings));
        }
        w.domains.stopAsking();
        w.classifier.MarkForDeletion(-1);
        EXPECT_EQ(w.mark(row), mark::None);
        EXPECT_EQ(w.settings.edUnknown, "0");
        EXPECT_FALSE(w.domains.dnsUnreachable()) << "a refusal is an answer";
        EXPECT_EQ(w.mx.asked.size(), deferred ? 0u : 1u) << "not asked again in the same check";
        w.domains.beginCheck();
        w.mx.refused.clear();
        w.classifier.MarkForDeletion(row);
        EXPECT_EQ(w.mark(row), mark::CheckMark) << "the next check asks again";
    }
}

} // namespace
