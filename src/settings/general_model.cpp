#include "settings/general_model.h"

#include "platform/bytes.h"
#include "settings/settings_store.h"

namespace tw {

void GeneralSettingsModel::readGeneral()
{
    general = readGeneralSettings();
    naming = readLogNaming();
    secrets.setChosen(passwordStoreFromSetting(general.PasswordStore));
}

void GeneralSettingsModel::readServers()
{
    ServerSettings stored = readServerSettings(secrets);
    for (int n = 1; n <= kMailboxCount; ++n)
        if (stored.account(n).password.empty())
            stored.account(n).password = servers.account(n).password;
    servers = std::move(stored);
}

std::string GeneralSettingsModel::readAtStartUp()
{
    readGeneral();
    std::string notMoved;
    try {
        notMoved = secrets.moveSettingsFileSecretsToKeyring();
    } catch (const std::exception &error) {
        // The settings file could not be written: the secret is in both places.
        notMoved = error.what();
    }
    readServers();
    return notMoved;
}

void GeneralSettingsModel::saveGeneral() const
{
    GeneralSettings inEffect = general;
    inEffect.PasswordStore = int(secrets.chosen());
    saveGeneralSettings(inEffect, naming);
}

std::optional<MailboxProblem> GeneralSettingsModel::saveServers()
{
    const PasswordStore wanted = passwordStoreFromSetting(general.PasswordStore);
    if (wanted != secrets.chosen()) {
        const bool passwordRequired = wanted != PasswordStore::AskEachCheck;
        bool problem = false;
        for (int n = 1; n <= kMailboxCount && !problem; ++n)
            problem = mailboxProblem(n, servers.account(n), passwordRequired).has_value();
        if (!problem) {
            for (int n = 1; n <= kMailboxCount; ++n) {
                const MailboxAccount &account = servers.account(n);
                const MailboxIdentity who{account.userName, account.server};
                secrets.copyInto(wanted, n, who, MailboxSecret::Password, account.password);
                secrets.copyInto(wanted, n, who, MailboxSecret::RefreshToken, account.signIn.refreshToken);
            }
            secrets.beginMove(wanted);
            savePasswordStore(wanted);
        }
    }
    std::optional<MailboxProblem> problem = saveServerSettings(servers, secrets);
    if (!problem)
        secrets.endMove();
    return problem;
}

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
