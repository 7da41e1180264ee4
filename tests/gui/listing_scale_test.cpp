// A listed row costs the same however many came before it: a check of
// 5,000 messages classifies each row once while it is listed (and once more
// in the re-mark at the end), and gives the list view work in proportion to
// the rows, not to their square. Counted through the classifier's and the
// list model's seams, not by timing.

#include "fixtures/dovecot_server.h"
#include "main_window_fixture.h"

#include <vector>

using namespace tw;
using namespace tw::test;

namespace {

class ListingScaleTest : public MainWindowTest {};

TEST_F(ListingScaleTest, FiveThousandRowsCostEachRowTheSameWork)
{
    constexpr int kRows = 5000;
    DovecotServer server(numberedMailbox(kRows, 4));
    ASSERT_TRUE(server.started()) << server.failure();
    storeMailbox(1, server.hostAndPort(), DovecotServer::UserName, DovecotServer::Password);
    storeGeneral([](GeneralSettings &settings) { settings.Automatic = false; });
    addSubjectRule("viagra");
    start();

    std::vector<int> whileListed(kRows, 0), inAll(kRows, 0);
    bool listing = true;
    window->classifier().OnRowClassified = [&](int row) {
        ASSERT_GE(row, 0);
        ASSERT_LT(row, kRows);
        ++inAll[size_t(row)];
        if (listing)
            ++whileListed[size_t(row)];
    };
    int rowsListed = 0;
    auto listed = window->msRemotePOP1.OnNextInfoUpdated;
    window->msRemotePOP1.OnNextInfoUpdated = [&](QObject *sender, int n) {
        ++rowsListed;
        listed(sender, n);
    };
    auto done = window->msRemotePOP1.OnInfoUpdated;
    window->msRemotePOP1.OnInfoUpdated = [&](QObject *sender) {
        listing = false; // what follows is the re-mark of every row
        done(sender);
    };
    const long long announcedBefore = window->ListView1->rowsAnnounced();

    window->btListClick();

    ASSERT_EQ(rowsListed, kRows);
    ASSERT_EQ(rows(), kRows);
    for (int row = 0; row < kRows; ++row) {
        ASSERT_EQ(whileListed[size_t(row)], 1) << "row " << row << " while listed";
        ASSERT_EQ(inAll[size_t(row)], 2) << "row " << row << ": listed, then the re-mark of every row";
    }
    // Shown once, and at most redrawn once by each walk over every row
    // (the end of the check, the marks' final showing): linear, where a
    // walk after each row would announce some twelve million.
    EXPECT_LE(window->ListView1->rowsAnnounced() - announcedBefore, 4LL * kRows);
    EXPECT_EQ(window->messages.markedCount(), kRows / 4);
}

} // namespace
