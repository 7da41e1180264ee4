#include "settings/first_run_rule.h"

namespace tw {

void AddMyselfFromPopToHeader(SpamSettingsModel &spam, const std::string &userName1)
{
    RuleTable &header = spam.rules.header;
    const int row = header.isEmptyTable() ? 1 : header.insertRow(1);
    header.setCell(col::What, row, "To does not contain");
    header.setCell(col::Matches, row, userName1 + " - MailBox #" + "1");
    header.setCell(col::Case, row, "No");
    header.setCell(col::Delete, row, "Yes");
    header.setCell(col::Hits, row, "0");
    spam.Savesettings();
}

} // namespace tw
