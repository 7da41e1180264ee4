// Where mailbox secrets go, with a keyring double: what moves at start-up
// and what stays when the keyring fails or gives back something else, and
// entries that are never removed because nobody could read them.
#include "fixtures/temp_home.h"
#include "platform/registry.h"
#include "platform/secret_store.h"
#include "settings/mailbox_secrets.h"
#include "settings/settings_store.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace tw;

namespace {

std::string serverValue(const std::string &name) { return tw::test::storedServerValue(name); }

// A keyring that keeps what is written but gives back something else.
class GarblingKeyring : public MemorySecretStore {
protected:
    void start(Job job, const std::string &key, const std::string &value,
               std::function<void(SecretResult)> answer) override
    {
        if (job != Job::Read)
            return MemorySecretStore::start(job, key, value, std::move(answer));
        QTimer::singleShot(0, [answer = std::move(answer)] { answer(SecretResult::done("garbled")); });
    }
};

// Two mailboxes whose passwords the settings file holds, as older versions kept them.
void storeTwoMailboxesInTheSettingsFile()
{
    TKeyedEncryption cipher;
    cipher.Key = kPasswordKey;
    readMailboxForRemotePOP(1, cipher, [] {}); // the format marker
    ServerSettings servers;
    servers.account(1) = {"pop.example.org", "ann", "first", true};
    servers.account(2) = {"mail.example.net", "bob", "second", true};
    ASSERT_FALSE(saveServerSettings(servers, cipher));
}

TEST(MailboxSecrets, StartUpRemovesAFileValueOnlyAfterTheKeyringGaveItBack)
{
    test::TempHome home;
    storeTwoMailboxesInTheSettingsFile();
    const std::string first = serverValue("Passwd1"), second = serverValue("Passwd2");
    {
        GarblingKeyring garbling;
        EXPECT_EQ(MailboxSecrets().moveSettingsFileSecretsToKeyring(),
                  "The desktop keyring did not give back the secret written to it.");
        EXPECT_EQ(serverValue("Passwd1"), first);
        EXPECT_EQ(serverValue("Passwd2"), second);
    }
    {
        MemorySecretStore failing;
        failing.behaviour = MemorySecretStore::Behaviour::Fail;
        EXPECT_EQ(MailboxSecrets().moveSettingsFileSecretsToKeyring(), "The keyring is locked.");
        EXPECT_EQ(serverValue("Passwd1"), first);
        EXPECT_EQ(serverValue("Passwd2"), second);
    }
    MemorySecretStore keyring;
    EXPECT_EQ(MailboxSecrets(PasswordStore::SettingsFile).moveSettingsFileSecretsToKeyring(), ""); // not chosen
    EXPECT_TRUE(keyring.jobs.empty());
    EXPECT_EQ(MailboxSecrets().moveSettingsFileSecretsToKeyring(), "");
    EXPECT_EQ(keyring.entries, (std::map<std::string, std::string>{{"ann@pop.example.org (password)", "first"},
                                                                   {"bob@mail.example.net (password)", "second"}}));
    EXPECT_EQ(serverValue("Passwd1"), "");
    EXPECT_EQ(serverValue("Passwd2"), "");
}

TEST(MailboxSecrets, AnEntryThatCouldNotBeReadIsNeverRemoved)
{
    test::TempHome home;
    MemorySecretStore keyring;
    keyring.pauseAfterFailure = std::chrono::milliseconds(0);
    const MailboxIdentity ann{"ann", "pop.example.org"}, renamed{"ann", "pop.example.com"};
    const std::string entry = "ann@pop.example.org (password)";
    keyring.entries[entry] = "only copy";
    MailboxSecrets secrets;

    keyring.behaviour = MemorySecretStore::Behaviour::Fail; // locked at start-up
    const StoredSecret read = secrets.read(1, ann, MailboxSecret::Password);
    EXPECT_EQ(read.value, "");
    EXPECT_EQ(read.keyringFailure, "The keyring is locked.");

    // Unlocked later; the settings are saved with the empty password they read.
    keyring.behaviour = MemorySecretStore::Behaviour::Answer;
    secrets.save(1, ann, ann, MailboxSecret::Password, "");
    secrets.save(1, ann, renamed, MailboxSecret::Password, "");
    secrets.save(1, ann, {}, MailboxSecret::Password, ""); // the row cleared
    EXPECT_EQ(keyring.entries[entry], "only copy");

    // Once read, the entry is known, and a cleared row removes it.
    EXPECT_EQ(secrets.read(1, ann, MailboxSecret::Password).value, "only copy");
    secrets.save(1, ann, {}, MailboxSecret::Password, "");
    EXPECT_EQ(keyring.entries.count(entry), 0u);
}

} // namespace
