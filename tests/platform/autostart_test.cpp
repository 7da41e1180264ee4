#include "fixtures/raised.h"
#include "fixtures/temp_home.h"
#include "platform/autostart.h"
#include "platform/store_error.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace tw;

namespace {

// XDG_CONFIG_HOME points into a fresh folder (and TIDEWELL_HOME at another)
// for the life of the test.
class AutostartTest : public ::testing::Test {
protected:
    AutostartTest() : m_previous(qgetenv("XDG_CONFIG_HOME")), m_hadPrevious(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
    }
    ~AutostartTest() override
    {
        if (m_hadPrevious)
            qputenv("XDG_CONFIG_HOME", m_previous);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    std::string entry() const { return config.read("autostart/tidewell.desktop"); }

    test::TempHome home;
    test::TempHome config; // (sets TIDEWELL_HOME too; home's value is restored below)

private:
    QByteArray m_previous;
    bool m_hadPrevious;
};

TEST_F(AutostartTest, WritesAndRemovesTheEntryThatItReadsBack)
{
    qputenv("TIDEWELL_HOME", QByteArray::fromStdString(home.path()));
    EXPECT_EQ(autostartFilePath(), config.path() + "/autostart/tidewell.desktop");
    EXPECT_FALSE(startsAtLogin());

    setStartAtLogin(true, "/usr/bin/tidewell");
    EXPECT_TRUE(startsAtLogin());
    EXPECT_EQ(entry().rfind("[Desktop Entry]\nType=Application\nName=Tidewell\n", 0), 0u) << entry();
    EXPECT_NE(entry().find("\nExec=env TIDEWELL_HOME=" + home.path() + " /usr/bin/tidewell\n"), std::string::npos)
        << entry();
    setStartAtLogin(true, "/usr/bin/tidewell"); // again: the same one entry
    EXPECT_TRUE(startsAtLogin());

    setStartAtLogin(false, "/usr/bin/tidewell");
    EXPECT_FALSE(startsAtLogin());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(autostartFilePath())));
    setStartAtLogin(false, "/usr/bin/tidewell"); // nothing left to remove is no failure
}

TEST_F(AutostartTest, AnEntrySwitchedOffByTheDesktopsToolsReadsAsOff)
{
    const struct {
        const char *contents;
        bool on;
    } cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=tidewell\n", true},
        {"[Desktop Entry]\nExec=tidewell\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=tidewell\nHidden=false\n", true},
        {"[Desktop Entry]\nExec=tidewell\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Entry]\nExec=tidewell\n[Desktop Action x]\nHidden=true\n", true}, // another group's key
    };
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(config.file("autostart"))));
    for (const auto &c : cases) {
        config.write("autostart/tidewell.desktop", c.contents);
        EXPECT_EQ(startsAtLogin(), c.on) << c.contents;
    }
}

TEST(AutostartExec, PathsAreQuotedAndEscapedAsDesktopEntriesRequire)
{
    EXPECT_EQ(autostartExecValue("/usr/bin/tidewell", ""), "/usr/bin/tidewell");
    EXPECT_EQ(autostartExecValue("/opt/My Apps/tidewell", ""), "\"/opt/My Apps/tidewell\"");
    EXPECT_EQ(autostartExecValue("/opt/100%/tide$well", ""), "\"/opt/100%%/tide\\\\$well\"");
    EXPECT_EQ(autostartExecValue("/opt/a\"b", "/home/ann/tw data"),
              "env \"TIDEWELL_HOME=/home/ann/tw data\" \"/opt/a\\\\\"b\"");
}

TEST_F(AutostartTest, AFolderThatCannotBeMadeIsReportedAndNothingIsWritten)
{
    config.write("autostart", "a file where the folder should be");
    const std::string text = test::raisedText<EStoreError>([] { setStartAtLogin(true, "/usr/bin/tidewell"); });
    EXPECT_EQ(text.rfind("Tidewell could not be set to start at login: " + autostartFilePath() + " cannot be written", 0),
              0u)
        << text;
    EXPECT_FALSE(startsAtLogin());
}

} // namespace
