#pragma once
// The header rule a new installation gets for its first mailbox: mail whose
// "To" header does not name the user is suspicious. Mailing lists, Bcc
// copies, aliases and logins that differ from the address all miss the "To"
// test, so the rule only asks for a look (question mark) and never deletes.

#include "settings/spam_model.h"

#include <string>

namespace tw {

// Inserts "To does not contain" / "<UserName1> - MailBox #1" / case "No" /
// delete "No" / hits "0" as the first rule of the header table (filling the
// empty row of an empty table), then saves the spam settings. Raises what
// SpamSettingsModel::Savesettings raises; the rule stays in the model then.
void AddMyselfFromPopToHeader(SpamSettingsModel &spam, const std::string &userName1);

// What the user is told, once, when the rule has been added for UserName1.
std::string firstRunRuleNote(const std::string &userName1);

} // namespace tw
