#include "settings/general_model.h"

#include "platform/bytes.h"
#include "settings/settings_store.h"

namespace tw {

GeneralSettingsModel::GeneralSettingsModel() { cipher.Key = kPasswordKey; }

void GeneralSettingsModel::readGeneral()
{
    general = readGeneralSettings();
    naming = readLogNaming();
}

void GeneralSettingsModel::readServers()
{
    ServerSettings stored = readServerSettings(cipher);
    for (int n = 1; n <= kMailboxCount; ++n)
        if (stored.account(n).password.empty())
            stored.account(n).password = servers.account(n).password;
    servers = std::move(stored);
}

void GeneralSettingsModel::saveGeneral() const { saveGeneralSettings(general, naming); }

bool GeneralSettingsModel::usable(int n) const
{
    if (n < 1 || n > kMailboxCount)
        return false;
    const MailboxAccount &account = servers.account(n);
    return account.checked && !account.server.empty();
}

int GeneralSettingsModel::HowManyMailboxesChecked() const { return int(usableMailboxes().size()); }

int GeneralSettingsModel::FirstMailboxChecked() const
{
    const std::vector<int> all = usableMailboxes();
    return all.empty() ? 0 : all.front();
}

std::vector<int> GeneralSettingsModel::usableMailboxes() const
{
    std::vector<int> numbers;
    for (int n = 1; n <= kMailboxCount; ++n)
        if (usable(n))
            numbers.push_back(n);
    return numbers;
}

bool GeneralSettingsModel::CheckUserMailboxes() const
{
    for (const MailboxAccount &account : servers.accounts)
        if (account.checked && account.signIn.method == 0 && account.userName.find('@') != std::string::npos)
            return false;
    return true;
}

bool GeneralSettingsModel::CheckForAOL() const
{
    static const char *webMail[] = {"aol.com", "juno.com", "hotmail.com", "msn.com"};
    for (const MailboxAccount &account : servers.accounts) {
        if (!account.checked || account.signIn.method != 0)
            continue;
        const std::string server = lowerCase(account.server);
        const std::string user = lowerCase(account.userName);
        for (const char *domain : webMail)
            if (server.find(domain) != std::string::npos || user.find(domain) != std::string::npos)
                return true;
    }
    return false;
}

bool GeneralSettingsModel::OnlyOneMailbox() const
{
    if (servers.account(1).server.empty())
        return false;
    for (int n = 2; n <= kMailboxCount; ++n)
        if (!servers.account(n).server.empty())
            return false;
    return true;
}

int GeneralSettingsModel::serverToIndex(const std::string &server, const std::string &userName) const
{
    for (int n = 1; n <= kMailboxCount; ++n) {
        const MailboxAccount &account = servers.account(n);
        if (sameText(account.server, server) && sameText(account.userName, userName))
            return n;
    }
    return 0;
}

long long GeneralSettingsModel::spamCount() const
{
    long long count = 0;
    return parseInt(trimmed(general.Count), count) ? count : 0;
}

void GeneralSettingsModel::addToSpamCount(long long deleted) { general.Count = std::to_string(spamCount() + deleted); }

} // namespace tw
