#pragma once
// A small world for classification tests: a message list with its header
// blocks, the four rule tables, the spam-test settings, a blacklist, the
// domain caches over a scripted resolver, and the classifier over them all.

#include "classify/classifier.h"
#include "net/errors.h"

#include <set>
#include <string>
#include <vector>

namespace tw::test {

// Answers for the domains it knows, raises EResolverError for the others,
// and records every question.
class FakeMx : public MxLookup {
public:
    std::set<std::string> existing;
    std::set<std::string> silent;  // no answer comes for these
    std::set<std::string> refused; // a list's refusal comes instead of an answer
    bool cancel = false; // the user cancels while the lookup waits
    std::vector<std::string> asked;
    void Resolve(const std::string &domain) override
    {
        asked.push_back(domain);
        if (cancel)
            throw ECanceledError("Operation has been canceled");
        if (silent.count(domain))
            throw ETimedOutError("Operation timed out");
        if (refused.count(domain))
            throw EResolverRefusedError("refused");
        if (!existing.count(domain))
            throw EResolverError("Domain name does not exist");
    }
    // The outcome an asker would report for Domain.
    TMXOutcome outcome(const std::string &domain) const
    {
        if (silent.count(domain))
            return TMXOutcome::NoAnswer;
        if (refused.count(domain))
            return TMXOutcome::CouldNotCheck;
        return existing.count(domain) ? TMXOutcome::Answered : TMXOutcome::Failed;
    }
};

// Records the domains sent during a listing; the test hands back the answers.
class FakeAsker : public MxAsker {
public:
    std::vector<std::string> asked;
    int cancels = 0;
    void ask(const std::string &domain) override { asked.push_back(domain); }
    void cancelAll() override { ++cancels; }
};

struct ClassifyWorld {
    WaitingMessages messages;
    TmsRemoteInfo info;
    RuleTables rules;
    SpamTestSettings settings;
    KnownSpammers known;
    FakeMx mx;
    UnknownDomains domains{&mx};
    WhyLog why;
    Classifier classifier{messages, info, rules, settings, known, domains, why};

    ClassifyWorld()
    {
        // Tests switch on what they look at.
        settings.cbAscii = false;
        settings.cbValid = false;
        settings.cbKnownSpammers = false;
    }

    // Adds a row built from a header block the way a check builds it.
    int addMessage(const std::string &headerText, int size = 1000)
    {
        TmsRemoteInfoItem &item = info.Add();
        item.Size = size;
        item.Headers.SetText(headerText);
        TWaitingMessage row;
        row.subject = item.Headers.GetFieldBody("Subject");
        const auto from = SplitAddress(item.Headers.GetFieldBody("From"));
        row.senderAddress = from.address;
        row.senderName = from.name;
        row.sizeText = std::to_string(size);
        return messages.add(row);
    }

    static void addRule(RuleTable &table, const std::vector<std::string> &cells, int firstCol = 1)
    {
        const int row = table.rowForNewRule();
        for (size_t c = 0; c < cells.size(); ++c)
            table.setCell(firstCol + static_cast<int>(c), row, cells[c]);
    }
    void subjectRule(const std::string &op, const std::string &text, bool check, bool cs = false)
    {
        addRule(rules.subject, {op, text, cs ? "Yes" : "No", check ? "Yes" : "No", "0"});
    }
    void senderRule(const std::string &kind, const std::string &op, const std::string &text, bool check)
    {
        addRule(rules.sender, {kind, op, text, check ? "Yes" : "No", "0"});
    }
    void headerRule(const std::string &what, const std::string &text, bool check, bool cs = false)
    {
        addRule(rules.header, {what, text, cs ? "Yes" : "No", check ? "Yes" : "No", "0"});
    }
    void exceptionRule(const std::string &what, const std::string &op, const std::string &text, int image = 3,
                       bool cs = false)
    {
        addRule(rules.exceptions, {what, op, text, cs ? "Yes" : "No", "0", "", std::to_string(image)}, 0);
    }

    int mark(int row) const { return messages.row(row).mark; }
    std::string hits(RuleKind kind, int ruleRow) const { return rules.table(kind).cell(hitsColumn(kind), ruleRow); }
};

} // namespace tw::test
