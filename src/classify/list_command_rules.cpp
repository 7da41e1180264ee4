#include "classify/list_command_rules.h"

namespace tw {

namespace {

// Row 1 of an empty table, else a new row 1 ahead of the others.
int topRuleRow(RuleTable &table) { return table.isEmptyTable() ? 1 : table.insertRow(1); }

} // namespace

void addMarkedMessageRules(RuleTables &rules, const std::string &subject, const std::string &senderAddress,
                           bool addSubject, bool addSender)
{
    if (addSubject) {
        RuleTable &table = rules.subject;
        const int row = topRuleRow(table);
        table.setCell(col::What, row, "Equals");
        table.setCell(col::Matches, row, subject);
        table.setCell(col::Case, row, "Yes");
        table.setCell(col::Delete, row, "Yes");
        table.setCell(col::Hits, row, "1");
    }
    if (addSender) {
        RuleTable &table = rules.sender;
        const int row = topRuleRow(table);
        table.setCell(col::What, row, "E-mail address");
        table.setCell(col::SenderCondition, row, "Equals");
        table.setCell(col::SenderMatches, row, senderAddress);
        table.setCell(col::Delete, row, "Yes");
        table.setCell(col::Hits, row, "1");
    }
}

void appendSenderDomainRule(RuleTable &sender, const std::string &address)
{
    const size_t at = address.find('@');
    const std::string domain = (at == std::string::npos ? address : address.substr(at + 1)).substr(0, 255);
    const int row = sender.rowForNewRule();
    sender.setCell(col::What, row, "Domain name");
    sender.setCell(col::SenderCondition, row, "Equals");
    sender.setCell(col::SenderMatches, row, domain);
    sender.setCell(col::Delete, row, "Yes");
    sender.setCell(col::Hits, row, "0");
}

void appendSenderException(RuleTable &exceptions, const std::string &address)
{
    const int row = exceptions.rowForNewRule();
    exceptions.setCell(col::ExceptWhat, row, "E-mail address");
    exceptions.setCell(col::ExceptCondition, row, "Equals");
    exceptions.setCell(col::ExceptMatches, row, address);
    exceptions.setCell(col::ExceptCase, row, "No");
    exceptions.setCell(col::ExceptHits, row, "0");
    exceptions.setCell(col::ExceptImage, row, "3");
}

} // namespace tw
