// The main window's POP3 sessions: every check logs in afresh, a session
// kept for the deletion run does not outlive its use, and a certificate
// that does not verify is asked about once per mailbox and remembered.
#include "fixtures/dovecot_server.h"
#include "fixtures/test_certificates.h"
#include "main_window_fixture.h"
#include "platform/notifications.h"
#include "platform/registry.h"
#include "settings/settings_store.h"
#include "app/which.h"
#include "dialog_driver.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <algorithm>

using namespace tw;
using namespace tw::test;

namespace {

const std::string kServerKey = std::string(kMainKey) + "\\Server";

class SecureSessionTest : public MainWindowTest {
protected:
    void storeSecurity(int n, int security)
    {
        Registry().writeString(kServerKey, "Security" + std::to_string(n), std::to_string(security));
    }
    int questions() const
    {
        return int(std::count_if(prompts.shown.begin(), prompts.shown.end(),
                                 [](const std::string &line) { return line.rfind("yesno: ", 0) == 0; }));
    }
    std::string lastShown() const { return prompts.shown.empty() ? "" : prompts.shown.back(); }
};

TEST_F(SecureSessionTest, EveryCheckLogsInAfreshAndSeesNewMailAndANewPassword)
{
    DovecotServer server({message("First", "a@example.org")});
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral();
    start();

    window->btList->click();
    ASSERT_EQ(rows(), 1);
    EXPECT_TRUE(window->msRemotePOP1.IsConnected()); // kept for a deletion run
    EXPECT_NE(window->status().find("(not encrypted)"), std::string::npos) << window->status();

    server.addMessage(message("Second", "b@example.org"));
    window->btList->click();
    EXPECT_EQ(rows(), 2);

    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, "changed");
    window->btList->click();
    EXPECT_EQ(rows(), 0);
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_NE(lastShown().find("Either your UserName/Mailbox or Password is incorrect"), std::string::npos)
        << lastShown();
}

TEST_F(SecureSessionTest, AKeptSessionEndsWhenIdleHiddenOrItsAccountChanges)
{
    DovecotServer server({message("First", "a@example.org")});
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeSecurity(1, 0); // Automatic, with the user's earlier Yes to sending the password unencrypted
    Registry().writeString(kServerKey, "PlainText1", "1");
    storeGeneral();
    start();
    TmsRemotePOP &pop = window->msRemotePOP1;

    window->keptSessionSeconds = 1;
    window->btList->click();
    ASSERT_TRUE(pop.IsConnected());
    QTRY_VERIFY_WITH_TIMEOUT(!pop.IsConnected(), 10000);

    window->keptSessionSeconds = 60;
    window->btList->click();
    ASSERT_TRUE(pop.IsConnected());
    window->hide();
    EXPECT_FALSE(pop.IsConnected());

    window->show();
    window->btList->click();
    ASSERT_TRUE(pop.IsConnected());
    window->ShowGeneralSettingsWindow = [&] { // the user picks "None" and confirms with OK
        general.servers.account(1).security = 3;
        ASSERT_FALSE(general.saveServers().has_value());
    };
    window->btGeneralClick();
    EXPECT_FALSE(pop.IsConnected());
    EXPECT_EQ(pop.Security, TPop3Security::None);

    window->btList->click();
    ASSERT_TRUE(pop.IsConnected());
    window->ShowGeneralSettingsWindow = [] {}; // nothing changed: the session stays for the deletion
    window->btGeneralClick();
    EXPECT_TRUE(pop.IsConnected());
}

class CertificateTrustTest : public SecureSessionTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(certificates.ok()) << certificates.failure();
        first = certificates.make("first", {"127.0.0.1"}, TestCertificates::Signer::Self);
        second = certificates.make("second", {"127.0.0.1"}, TestCertificates::Signer::Self);
        ASSERT_TRUE(first.ok() && second.ok()) << certificates.failure();
        server = std::make_unique<DovecotServer>(std::vector<std::string>{message("Over TLS", "a@example.org")}, first);
        ASSERT_TRUE(server->started()) << server->failure();
        storeMailbox(1, server->tlsHostAndPort(), DovecotServer::UserName, DovecotServer::Password);
        storeSecurity(1, 1); // TLS
        storeGeneral();
    }
    std::string storedFingerprint() const
    {
        return Registry().readString(Hive::CurrentUser, kServerKey, "Fingerprint1").value_or("");
    }

    TestCertificates certificates;
    CertificateFiles first, second;
    std::unique_ptr<DovecotServer> server;
};

TEST_F(CertificateTrustTest, IsAskedOnceTrustedForTheMailboxAndAskedAgainWhenItChanges)
{
    start();
    prompts.yesNoAnswers = {true};
    window->btList->click();
    ASSERT_EQ(rows(), 1);
    ASSERT_EQ(questions(), 1);
    const std::string question = lastShown();
    for (const char *part : {"could not be verified", "mailbox 1 (tester)", "Subject: ", "CN=127.0.0.1",
                             "O=Tidewell Tests", "Valid from ", "SHA-256 fingerprint: "})
        EXPECT_NE(question.find(part), std::string::npos) << part << " in " << question;
    const std::string fingerprint = storedFingerprint();
    EXPECT_EQ(fingerprint.size(), 64u);
    EXPECT_NE(question.find(groupedFingerprint(fingerprint)), std::string::npos);
    EXPECT_EQ(window->status().find("(not encrypted)"), std::string::npos) << window->status();

    window->btList->click();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(questions(), 1); // the stored fingerprint answers

    ASSERT_TRUE(server->useCertificate(second)) << server->failure();
    prompts.yesNoAnswers = {false};
    window->btList->click();
    EXPECT_EQ(rows(), 0);
    ASSERT_EQ(questions(), 2);
    EXPECT_NE(prompts.shown[prompts.shown.size() - 2].find("has CHANGED since you chose to trust it"), std::string::npos);
    EXPECT_NE(lastShown().find("has changed since it was trusted for this mailbox"), std::string::npos) << lastShown();
    EXPECT_EQ(storedFingerprint(), fingerprint);
    EXPECT_EQ(logCount("ERROR"), 1);
}

TEST_F(CertificateTrustTest, OneQuestionTrustsTheCertificateForEveryMailboxOnTheServer)
{
    storeMailbox(2, server->tlsHostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeSecurity(2, 1);
    start();
    const auto checkMailbox = [this](int index) {
        onNextDialog<TfrmWhichMailbox>([index](TfrmWhichMailbox &dialog) {
            dialog.cbMailbox->setCurrentIndex(index);
            dialog.btOK->click();
        });
        window->btListClick();
    };
    prompts.yesNoAnswers = {true};
    checkMailbox(0);
    ASSERT_EQ(rows(), 1);
    ASSERT_EQ(questions(), 1);
    EXPECT_EQ(prompts.checkBoxes, std::vector<std::string>{"Trust it also for mailbox 2 on 127.0.0.1"});
    const std::string fingerprint = storedFingerprint();
    EXPECT_EQ(Registry().readString(Hive::CurrentUser, kServerKey, "Fingerprint2").value_or(""), fingerprint);

    checkMailbox(1);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(questions(), 1); // mailbox 2 took the answer

    // Left unticked, the answer is for the one mailbox only.
    Registry().writeString(kServerKey, "Fingerprint1", "");
    Registry().writeString(kServerKey, "Fingerprint2", "");
    progress.reset();
    window.reset();
    start();
    prompts.yesNoAnswers = {true};
    prompts.checkBoxAnswers = {false};
    checkMailbox(0);
    EXPECT_EQ(questions(), 2);
    EXPECT_EQ(storedFingerprint(), fingerprint);
    EXPECT_EQ(Registry().readString(Hive::CurrentUser, kServerKey, "Fingerprint2").value_or(""), "");
}

TEST_F(CertificateTrustTest, TheNotEncryptedNoteFollowsTheLastCheck)
{
    storeMailbox(1, server->hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeSecurity(1, 3); // None
    start();
    window->btList->click();
    ASSERT_EQ(rows(), 1);
    EXPECT_NE(window->status().find("(not encrypted)"), std::string::npos) << window->status();

    // A check that fails says why, and nothing about encryption.
    storeMailbox(1, server->tlsHostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeSecurity(1, 1); // TLS
    window->btList->click(); // the certificate is not trusted (No)
    EXPECT_EQ(window->status().find("(not encrypted)"), std::string::npos) << window->status();

    prompts.yesNoAnswers = {true};
    window->btList->click();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(window->status().find("(not encrypted)"), std::string::npos) << window->status();
}

TEST_F(CertificateTrustTest, AHiddenAutomaticCheckLogsTheErrorInsteadOfAsking)
{
    storeGeneral([](GeneralSettings &settings) { settings.Automatic = true; });
    start();
    QCoreApplication::processEvents(); // start-up's queued showing comes first
    window->hide();
    ASSERT_FALSE(window->isVisible());
    window->automaticRun = true;
    window->minutesLeft = 0;

    window->CheckAllMailBoxes();

    EXPECT_EQ(questions(), 0);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(storedFingerprint(), "");
    EXPECT_EQ(logCount("ERROR"), 1);
    EXPECT_EQ(logCount("was not trusted"), 1);
    EXPECT_EQ(logCount("MAIL CHECK"), 0);
    EXPECT_NE(window->trayIcon->problem().find("was not trusted"), std::string::npos);
    EXPECT_EQ(std::count(sound.calls.begin(), sound.calls.end(), "stop"), long(sound.calls.size()))
        << "a certificate never trusted is no change";
}

TEST_F(CertificateTrustTest, AChangeFoundByHiddenChecksIsOnTheTrayTipAndSoundsTheAlarmOnce)
{
    storeGeneral([this](GeneralSettings &settings) {
        settings.Automatic = true;
        settings.Alarm = true;
        settings.Repeat = true; // a change is told once, never in a loop
        settings.AlarmFile = home.file("alarm.wav");
    });
    home.write("alarm.wav", "RIFF");
    RecordingNotifier notifier;
    start();
    prompts.yesNoAnswers = {true};
    window->btList->click();
    ASSERT_EQ(questions(), 1);
    ASSERT_TRUE(server->useCertificate(second)) << server->failure();
    window->hide();
    window->automaticRun = true;

    for (int pass = 0; pass < 2; ++pass) {
        window->minutesLeft = 0;
        window->CheckAllMailBoxes();
    }

    EXPECT_EQ(questions(), 1);
    std::vector<std::string> sounded = sound.calls;
    std::erase(sounded, "stop"); // every check stops an alarm first
    EXPECT_EQ(sounded, (std::vector<std::string>{"play: " + home.file("alarm.wav")}));
    EXPECT_NE(window->trayIcon->problem().find("has changed since it was trusted"), std::string::npos)
        << window->trayIcon->problem();
    EXPECT_EQ(logCount("ERROR"), 2);
    EXPECT_EQ(logCount("MAIL CHECK"), 1); // the first, trusted check only
    // Told once on the desktop too, with "Open": a check with the window
    // open, which asks about the new certificate.
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].notification.summary, "The certificate of 127.0.0.1 has changed");
    ASSERT_EQ(notifier.shown[0].notification.actions.size(), 1u);
    EXPECT_EQ(notifier.shown[0].notification.actions[0].label, "Open");
    notifier.choose(notifier.shown[0].notification.actions[0].key);
    EXPECT_TRUE(QTest::qWaitFor([&] { return questions() == 2; }, 20000));
}

TEST_F(CertificateTrustTest, DecliningSaysTheCertificateWasNotTrustedAndNoIsTheDefault)
{
    start();
    window->btList->click();
    ASSERT_EQ(questions(), 1);
    ASSERT_EQ(prompts.askedNoByDefault.size(), 1u);
    EXPECT_EQ("yesno: " + prompts.askedNoByDefault[0], prompts.shown[0]);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].rfind("error: The check stopped because the certificate of 127.0.0.1 was not trusted (",
                                     0),
              0u)
        << prompts.shown[1];
    EXPECT_EQ(prompts.shown[1].find("unavailable or incorrectly specified"), std::string::npos);
    EXPECT_EQ(logCount("MAIL CHECK"), 0);
    EXPECT_EQ(logCount("ERROR The check stopped because the certificate"), 1);
}

} // namespace
