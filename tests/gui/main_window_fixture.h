#pragma once
// A main window over a temporary program folder and registry, with the
// prompts, shell and sound doubles installed, for driving it like a user.

#include "app/optRetrieve.h"
#include "app/rmmain.h"
#include "fixtures/fake_tcp_server.h"
#include "fixtures/temp_home.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "settings/general_model.h"
#include "settings/settings_store.h"
#include "settings/spam_model.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tw::test {

class MainWindowTest : public ::testing::Test {
protected:
    // The mailboxes' secrets are kept in the settings file, where the tests
    // store and read them; the keyring's own tests choose the keyring. The
    // desktop shows a tray unless a test says otherwise.
    MainWindowTest()
    {
        savePasswordStore(PasswordStore::SettingsFile);
        TTrayIcon::setDesktopHasTray(true);
    }
    ~MainWindowTest() override { TTrayIcon::setDesktopHasTray(std::nullopt); }

    TempHome home;
    ScriptedPrompts prompts;
    RecordingShell shell;
    RecordingSound sound;
    GeneralSettingsModel general;
    SpamSettingsModel spam;
    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<TfrmRetrieving> progress;

    // Stores mailbox N in the registry as the general settings window would,
    // with Security "None" (the scripted servers have no TLS).
    void storeMailbox(int n, const std::string &server, const std::string &user, const std::string &password,
                      bool checked = true);
    // Stores General values (after Edit changes them), the log path
    // "activity.log" and secrets kept in the settings file.
    void storeGeneral(const std::function<void(GeneralSettings &)> &edit = {});
    // Adds a subject rule "Contains <text>" that gives a check mark.
    void addSubjectRule(const std::string &text);
    // Reads the settings and creates the window as start-up does.
    void start();
    // One automatic pass of all mailboxes with the window hidden in the tray.
    void hiddenAutomaticPass();
    std::string log() const { return home.read("activity.log"); }
    // Number of times Text occurs in the log.
    int logCount(const std::string &text) const;
    int rows() const { return window->ListView1->rowCount(); }
    void selectRows(std::initializer_list<int> rows);
};

// The scripted server greets, answers CAPA with nothing, accepts ann's
// login (password "pw") and answers STAT with Stat.
void scriptLogin(FakeTcpServer &server, const std::string &stat);
// The same up to the password, which it awaits; the test answers it.
void scriptUpToPassword(FakeTcpServer &server);

// A plain message with these headers.
std::string message(const std::string &subject, const std::string &from, const std::string &body = "Hello.\r\n");
// Count messages from sender<n>@example.org, n = 1..Count: every SpamEvery-th
// has the subject "Cheap viagra <n>", the others "Meeting <n>".
std::vector<std::string> numberedMailbox(int count, int spamEvery);

} // namespace tw::test
