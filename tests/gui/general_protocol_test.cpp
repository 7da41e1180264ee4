// The general settings window's protocol per mailbox: POP3 or IMAP, and
// under an IMAP row its folder and whether marked messages are deleted for
// good instead of moved to Junk.
#include "fixtures/temp_home.h"
#include "platform/dialup_fake.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "settings/settings_store.h"
#include "platform/secret_store.h"
#include "settings/ui/general.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace tw;
using namespace tw::test;

namespace {


std::string serverValue(const std::string &name) { return tw::test::storedServerValue(name); }

class GeneralProtocolTest : public ::testing::Test {
protected:
    TempHome home;
    MemorySecretStore keyring; // the passwords go to the keyring, as by default
    ScriptedPrompts prompts;
    RecordingShell shell;
    RecordingSound sound;
    FakeDialUpService dialUpService;
    TagRas dialUp{dialUpService};
    GeneralSettingsModel general;
    SpamSettingsModel spam;
    std::unique_ptr<TfrmGeneral> window;
    TKeyedEncryption cipher;

    GeneralProtocolTest()
    {
        cipher.Key = kPasswordKey;
        savePasswordStore(PasswordStore::SettingsFile); // no keyring here
    }

    void storeMailboxes(const std::vector<MailboxAccount> &accounts)
    {
        ServerSettings servers;
        for (size_t i = 0; i < accounts.size(); ++i)
            servers.accounts[i] = accounts[i];
        ASSERT_FALSE(saveServerSettings(servers, cipher).has_value());
    }
    void show()
    {
        spam.readSettings();
        general.read();
        window = std::make_unique<TfrmGeneral>(general, spam, dialUp, GeneralWindowCommands{});
        window->show();
    }
    bool imapLineShown(int n) const { return window->pnlImap[size_t(n - 1)]->isVisibleTo(window.get()); }
};

MailboxAccount imapAccount(const std::string &server, const std::string &folder, bool deleteForGood)
{
    MailboxAccount account{server, "ann", "pw", true};
    account.protocol = int(MailProtocol::IMAP);
    account.folder = folder;
    account.imapDelete = deleteForGood;
    return account;
}

TEST_F(GeneralProtocolTest, EachRowShowsItsProtocolAndOnlyAnImapRowItsFolderLine)
{
    storeMailboxes({{"pop.example.org", "bob", "pw", true}, imapAccount("imap.example.org", "Lists/Work", true)});
    show();

    EXPECT_EQ(window->cmbProtocol[0]->currentText(), "POP3");
    EXPECT_FALSE(imapLineShown(1));
    EXPECT_EQ(window->cmbProtocol[1]->currentText(), "IMAP");
    EXPECT_TRUE(imapLineShown(2));
    EXPECT_EQ(window->edFolder[1]->text(), "Lists/Work");
    EXPECT_TRUE(window->cbImapDelete[1]->isChecked());
    for (int n = 3; n <= kMailboxCount; ++n) {
        EXPECT_EQ(window->cmbProtocol[size_t(n - 1)]->currentIndex(), 0) << n;
        EXPECT_FALSE(imapLineShown(n)) << n;
    }

    // Choosing IMAP shows the line with the inbox; POP3 hides it again.
    window->cmbProtocol[0]->setCurrentIndex(1);
    EXPECT_TRUE(imapLineShown(1));
    EXPECT_EQ(window->edFolder[0]->text(), "INBOX");
    window->cmbProtocol[1]->setCurrentIndex(0);
    EXPECT_FALSE(imapLineShown(2));
}

TEST_F(GeneralProtocolTest, TabFollowsTheRowAlsoAfterChoosingImap)
{
    storeMailboxes({{"pop.example.org", "bob", "pw", true}});
    show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 2000));
    window->cmbProtocol[0]->setFocus();
    window->cmbProtocol[0]->setCurrentIndex(1); // IMAP: the folder line appears under the row
    QTest::keyClick(window->cmbProtocol[0], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->cmbSecurity[0]);
    // The line under the row comes after the row's last column, then the next row.
    window->cb[0]->setFocus();
    QTest::keyClick(window->cb[0], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->edFolder[0]);
    QTest::keyClick(window->edFolder[0], Qt::Key_Tab);
    QTest::keyClick(window->cbImapDelete[0], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->edServe[1]);
}

TEST_F(GeneralProtocolTest, OkSavesTheChoicesAndCancelPutsTheStoredOnesBack)
{
    storeMailboxes({{"pop.example.org", "bob", "pw", true}, imapAccount("imap.example.org", "Lists/Work", false)});
    show();

    // Row 1 becomes IMAP on a folder left blank (the inbox); row 2 deletes
    // for good in another folder.
    window->cmbProtocol[0]->setCurrentIndex(1);
    window->edFolder[0]->clear();
    QTest::keyClicks(window->edFolder[0], QStringLiteral("   "));
    window->edFolder[1]->clear();
    QTest::keyClicks(window->edFolder[1], QStringLiteral("Old mail/2026"));
    window->cbImapDelete[1]->setChecked(true);
    window->btOK->click();
    ASSERT_FALSE(window->isVisible()) << (prompts.shown.empty() ? "" : prompts.shown.back());

    EXPECT_EQ(serverValue("Protocol1"), "1");
    EXPECT_EQ(serverValue("Folder1"), "<none>"); // the inbox, a default not written
    EXPECT_EQ(serverValue("ImapDelete1"), "<none>");
    EXPECT_EQ(serverValue("Folder2"), "Old mail/2026");
    EXPECT_EQ(serverValue("ImapDelete2"), "1");
    const ServerSettings stored = readServerSettings(general.secrets);
    EXPECT_EQ(stored.account(1).folder, "INBOX");
    EXPECT_EQ(stored.account(1).protocol, 1);

    // Changes given up with Cancel are gone at the next showing.
    show();
    window->cmbProtocol[1]->setCurrentIndex(0);
    window->edFolder[1]->clear();
    window->cbImapDelete[1]->setChecked(false);
    window->btCancel->click();
    EXPECT_EQ(general.servers.account(2), stored.account(2));
    window->show();
    EXPECT_EQ(window->cmbProtocol[1]->currentText(), "IMAP");
    EXPECT_EQ(window->edFolder[1]->text(), "Old mail/2026");
    EXPECT_TRUE(window->cbImapDelete[1]->isChecked());
    EXPECT_EQ(serverValue("Protocol2"), "1");
}

} // namespace
