#pragma once
// The header rule a new installation gets for its first mailbox: mail whose
// "To" header does not name the user is suspicious.

#include "settings/spam_model.h"

#include <string>

namespace tw {

// Inserts "To does not contain" / "<UserName1> - MailBox #1" / case "No" /
// delete "Yes" / hits "0" as the first rule of the header table (filling the
// empty row of an empty table), then saves the spam settings. Raises what
// SpamSettingsModel::Savesettings raises; the rule stays in the model then.
void AddMyselfFromPopToHeader(SpamSettingsModel &spam, const std::string &userName1);

} // namespace tw
