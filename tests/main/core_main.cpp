// Shared main for the logic test programs: a QCoreApplication, so timers,
// sockets and event loops work, and nothing can open a window.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
