#include "platform/ui/desktop_shell.h"
#include "platform/ui/qt_sound.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(Shell, RealShellReportsAMissingDocument)
{
    DesktopShell shell;
    EXPECT_FALSE(shell.openDocument("/nonexistent/tidewell.hlp"));
    RecordingShell recording;
    EXPECT_TRUE(Shell::current().startProgram("/usr/bin/mailer", {"-a", "b c"}));
    EXPECT_EQ(recording.calls.at(0), "start: /usr/bin/mailer -a b c");
}

TEST(Sound, RealSoundRefusesAMissingFile)
{
    QtSound sound;
    EXPECT_FALSE(sound.play("/nonexistent/harptune.wav", true));
    EXPECT_FALSE(sound.playing());
}
