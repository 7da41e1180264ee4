#include "settings/first_run_rule.h"

namespace tw {

void AddMyselfFromPopToHeader(SpamSettingsModel &spam, const std::string &userName1)
{
    RuleTable &header = spam.rules.header;
    const int row = header.isEmptyTable() ? 1 : header.insertRow(1);
    header.setCell(col::What, row, "To does not contain");
    header.setCell(col::Matches, row, userName1 + " - MailBox #" + "1");
    header.setCell(col::Case, row, "No");
    header.setCell(col::Delete, row, "No");
    header.setCell(col::Hits, row, "0");
    spam.Savesettings();
}

std::string firstRunRuleNote(const std::string &userName1)
{
    return "Tidewell has added a header rule for mailbox 1: a message whose \"To\" line does not contain \"" +
           userName1 +
           "\" gets a question mark, so that you can look at it. A question mark never deletes a message; mail "
           "from mailing lists, Bcc copies and aliases often misses this test.  You can change the rule, let it "
           "give a check mark, or remove it under Settings & Stats, Spam settings, page \"Headers\".";
}

} // namespace tw
