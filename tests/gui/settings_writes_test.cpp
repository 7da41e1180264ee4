// Settings are saved once per change of state: a check writes each settings
// file at most once, at its end; closing the program writes the registry
// once; a file that did not change is not written. The writes are counted
// as the store makes them.

#include "app/closing_writes.h"
#include "fixtures/dovecot_server.h"
#include "main_window_fixture.h"
#include "platform/settings_files.h"
#include "settings/ui/general.h"
#include "settings/ui/optsmain.h"

#include <map>
#include <optional>

using namespace tw;
using namespace tw::test;

namespace {

struct WriteCounter {
    WriteCounter()
    {
        setSettingsWriteObserver([this](const std::string &path) { ++writes[path]; });
    }
    ~WriteCounter() { setSettingsWriteObserver(nullptr); }
    int most() const
    {
        int most = 0;
        for (const auto &[path, count] : writes)
            most = std::max(most, count);
        return most;
    }
    std::map<std::string, int> writes;
};

class SettingsWritesTest : public MainWindowTest {};

TEST_F(SettingsWritesTest, ACheckWritesEachSettingsFileAtMostOnceAndOnlyWhatChanged)
{
    DovecotServer server(numberedMailbox(200, 3));
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral([](GeneralSettings &settings) { settings.Automatic = false; });
    addSubjectRule("viagra");
    // As an older version left it: the check saves every spam-test value.
    home.write("tidewell.ini", "[Known]\r\nValid=0\r\n");
    start();

    WriteCounter first;
    window->btListClick();
    ASSERT_EQ(window->messages.count(), 200);
    EXPECT_EQ(first.most(), 1) << "each file at most once";
    EXPECT_EQ(first.writes.count(home.file("subj.lst")), 1u) << "the hit counts changed";
    EXPECT_EQ(first.writes.count(home.file("tidewell.ini")), 1u) << "values were missing";
    for (const char *unchanged : {"from.lst", "header.lst", "except.lst"})
        EXPECT_EQ(first.writes.count(home.file(unchanged)), 0u) << unchanged;

    // The next check of the same mailbox writes only the new hit counts.
    WriteCounter second;
    window->btListClick();
    EXPECT_EQ(second.writes, (std::map<std::string, int>{{home.file("subj.lst"), 1}}));
}

TEST_F(SettingsWritesTest, ClosingTheProgramWritesTheRegistryOnce)
{
    storeGeneral();
    std::optional<WriteCounter> counter;
    {
        ClosingWrites closing; // as the program holds it: it goes after every window
        start();
        TfrmOptionsMain spamWindow(spam, window->knownSpammers, [] {});
        TagRas dialUp;
        TfrmGeneral generalWindow(general, spam, dialUp, {});
        counter.emplace();
        window->OnClosing = [&closing] { closing.begin(); };
        window->ListView1->setColumnWidths({200, 150, 100, 50, 120});
        window->resize(700, 500);
        window->close();
        EXPECT_TRUE(counter->writes.empty()) << "nothing is written before the last window is gone";
        progress.reset();
        window.reset();
    }
    EXPECT_EQ(counter->writes, (std::map<std::string, int>{{home.file("registry.ini"), 1}}));
    EXPECT_EQ(readMessageListColumns().widths, (std::array<int, 5>{200, 150, 100, 50, 120}));
    EXPECT_EQ(readWindowPlacement({}).FormWidth, 700);
    EXPECT_GT(readRuleGridWidths(RuleGrid::Subject)[0], 0); // the grids saved their widths too
}

} // namespace
