// Finding the user's session bus for a program started with an empty
// environment (cron): the runtime folder's socket first, then the one under
// /run/user, only sockets of this user, and the address escaped.
#include "platform/session_bus.h"

#include <QDir>
#include <QLocalServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tw;

namespace {

class SessionBusTest : public ::testing::Test {
protected:
    // A listening socket at Path, made as a bus daemon makes its own.
    void listenAt(const QString &path)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        auto server = std::make_unique<QLocalServer>();
        server->setSocketOptions(QLocalServer::UserAccessOption);
        ASSERT_TRUE(server->listen(path)) << server->errorString().toStdString();
        servers.push_back(std::move(server));
    }
    std::string at(const QString &relative) const { return dir.filePath(relative).toStdString(); }
    std::string address(const QString &relative) const { return "unix:path=" + at(relative); }

    QTemporaryDir dir;
    std::vector<std::unique_ptr<QLocalServer>> servers;
    const uid_t uid = ::getuid();
    const QString userBus = QStringLiteral("run/user/%1/bus").arg(::getuid());
};

} // namespace

TEST_F(SessionBusTest, TheRuntimeFolderComesFirstThenRunUser)
{
    listenAt(dir.filePath("runtime/bus"));
    listenAt(dir.filePath(userBus));
    EXPECT_EQ(userSessionBusAddress(at("runtime"), uid, at("run/user")), address("runtime/bus"));
    // No runtime folder given, or none with a bus in it: the one under /run/user.
    EXPECT_EQ(userSessionBusAddress("", uid, at("run/user")), address(userBus));
    EXPECT_EQ(userSessionBusAddress(at("elsewhere"), uid, at("run/user")), address(userBus));
}

TEST_F(SessionBusTest, OnlyASocketOfThisUserIsTaken)
{
    // A plain file where the socket should be is no bus.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("runtime")));
    QFile plain(dir.filePath("runtime/bus"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(userSessionBusAddress(at("runtime"), uid, at("run/user")), "");

    // Another user's socket is not this user's bus.
    listenAt(dir.filePath(userBus));
    EXPECT_EQ(userSessionBusAddress("", uid + 1, at("run/user")), "");
    EXPECT_EQ(userSessionBusAddress("", uid, at("run/user")), address(userBus));
}

TEST_F(SessionBusTest, ThePathIsEscapedInTheAddress)
{
    listenAt(dir.filePath("my runtime,1/bus"));
    EXPECT_EQ(userSessionBusAddress(at("my runtime,1"), uid, at("run/user")),
              "unix:path=" + dir.path().toStdString() + "/my%20runtime%2c1/bus");
}

TEST_F(SessionBusTest, AnAddressAlreadyGivenIsKept)
{
    const QByteArray before = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    listenAt(dir.filePath("runtime/bus"));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(at("runtime")));

    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/given");
    EXPECT_EQ(useUserSessionBusWhenUnset(), "");
    EXPECT_EQ(qgetenv("DBUS_SESSION_BUS_ADDRESS"), "unix:path=/given");

    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(useUserSessionBusWhenUnset(), address("runtime/bus"));
    EXPECT_EQ(qgetenv("DBUS_SESSION_BUS_ADDRESS").toStdString(), address("runtime/bus"));

    qputenv("DBUS_SESSION_BUS_ADDRESS", before);
    if (before.isNull())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    if (runtimeBefore.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
}
