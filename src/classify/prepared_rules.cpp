#include "classify/prepared_rules.h"

#include "classify/message_view.h"
#include "platform/bytes.h"

namespace tw {

namespace {

const std::string kYes = "Yes";

PreparedRule makeRule(int row, std::string what, const std::string &opName, const std::string &text,
                      bool caseSensitive, bool check)
{
    PreparedRule rule;
    rule.row = row;
    rule.what = std::move(what);
    rule.opName = opName;
    rule.op = parseOperator(opName);
    rule.text = text;
    rule.caseSensitive = caseSensitive;
    rule.foldedText = upperCase(text);
    rule.pattern = caseSensitive ? text : rule.foldedText;
    rule.probes = BigramFilter::probesFor(rule.foldedText);
    rule.check = check;
    return rule;
}

// Subject, sender and header rules are read from row 1 down to the first
// row whose column 1 is empty.
template <typename MakeRule> std::vector<PreparedRule> leadingRows(const RuleTable &table, MakeRule make)
{
    std::vector<PreparedRule> rules;
    for (int r = 1; r < table.RowCount() && !table.cell(col::What, r).empty(); ++r)
        rules.push_back(make(r));
    return rules;
}

RuleTarget senderTarget(const std::string &kind)
{
    return kind == "Domain name" ? RuleTarget::SenderDomain : RuleTarget::SenderAddress;
}

RuleTarget headerTarget(const PreparedRule &rule)
{
    if (rule.what == "To does not contain")
        return RuleTarget::ToDoesNotContain;
    if (rule.what == "Sender")
        return rule.text == "does not match Reply-to" ? RuleTarget::SenderReplyTo : RuleTarget::SenderEqualsTo;
    return RuleTarget::AnyHeaderLine;
}

RuleTarget exceptionTarget(const std::string &kind)
{
    if (kind == "Domain name")
        return RuleTarget::SenderDomain;
    if (kind == "E-mail address")
        return RuleTarget::SenderAddress;
    if (kind == "Subject")
        return RuleTarget::Subject;
    if (kind == "Any Header")
        return RuleTarget::AnyHeaderLine;
    return RuleTarget::HeaderField;
}

} // namespace

PreparedRules prepareRules(const RuleTables &tables)
{
    PreparedRules prepared;
    const RuleTable &subject = tables.subject;
    prepared.subject = leadingRows(subject, [&](int r) {
        return makeRule(r, "Subject", subject.cell(col::What, r), subject.cell(col::Matches, r),
                        subject.cell(col::Case, r) == kYes, subject.cell(col::Delete, r) == kYes);
    });
    const RuleTable &sender = tables.sender;
    prepared.sender = leadingRows(sender, [&](int r) {
        PreparedRule rule = makeRule(r, sender.cell(col::What, r), sender.cell(col::SenderCondition, r),
                                     sender.cell(col::SenderMatches, r), false, sender.cell(col::Delete, r) == kYes);
        rule.target = senderTarget(rule.what);
        return rule;
    });
    const RuleTable &header = tables.header;
    prepared.header = leadingRows(header, [&](int r) {
        // For the operator rules the "What" cell is the operator itself.
        PreparedRule rule = makeRule(r, header.cell(col::What, r), header.cell(col::What, r),
                                     header.cell(col::Matches, r), header.cell(col::Case, r) == kYes,
                                     header.cell(col::Delete, r) == kYes);
        rule.target = headerTarget(rule);
        return rule;
    });
    const RuleTable &exceptions = tables.exceptions;
    for (int r = 1; r < exceptions.RowCount(); ++r) {
        if (exceptions.cell(col::ExceptWhat, r).empty())
            continue;
        PreparedRule rule = makeRule(r, exceptions.cell(col::ExceptWhat, r), exceptions.cell(col::ExceptCondition, r),
                                     exceptions.cell(col::ExceptMatches, r),
                                     exceptions.cell(col::ExceptCase, r) == kYes, false);
        rule.target = exceptionTarget(rule.what);
        if (rule.target == RuleTarget::HeaderField)
            rule.fieldKey = MessageView::fieldKey(rule.what);
        rule.image = rulePicture(RuleKind::Exception, exceptions, r);
        prepared.exceptions.push_back(std::move(rule));
    }
    return prepared;
}

} // namespace tw
