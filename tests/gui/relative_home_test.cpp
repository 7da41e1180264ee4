// The real program started with a relative TIDEWELL_HOME, as a user types
// it in a shell: it finds the mailbox set up in that folder and checks it,
// although it makes the program folder its working folder on the way.

#include "fixtures/temp_home.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tw::test;

TEST(RelativeHome, TheProgramChecksTheMailboxOfARelativeProgramFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString demo = root.filePath(QStringLiteral("demo"));
    QProcess server;
    server.start(QStringLiteral(TIDEWELL_DEMO_SERVER),
                 {QStringLiteral("--source"), QString::fromStdString(sourceDir()) + QStringLiteral("/resources/demo"),
                  QStringLiteral("--demo"), demo});
    ASSERT_TRUE(server.waitForStarted(5000));
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(demo + QStringLiteral("/server.port")) && waited.elapsed() < 20000)
        server.waitForFinished(50);
    ASSERT_TRUE(QFile::exists(demo + QStringLiteral("/server.port"))) << server.readAllStandardError().toStdString();

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TIDEWELL_HOME"), QStringLiteral("home"));
    environment.insert(QStringLiteral("TIDEWELL_DEMO_TOUR"), root.filePath(QStringLiteral("shot.png")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(demo);
    program.start(QStringLiteral(TIDEWELL_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(60000));
    const std::string said = program.readAllStandardOutput().toStdString();
    const std::string complained = program.readAllStandardError().toStdString();
    server.terminate();
    server.waitForFinished(5000);
    EXPECT_EQ(program.exitCode(), 0) << complained;
    EXPECT_NE(said.find("Listed 20 messages"), std::string::npos) << said << complained;
    EXPECT_EQ(complained.find("username"), std::string::npos) << complained;
}
