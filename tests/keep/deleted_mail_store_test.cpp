// The deleted-mail folder: its index is mended against the files, never the
// other way round, and expiry takes the oldest copies first but never one
// less than a day old to make room.
#include "keep_fixture.h"

#include <sys/stat.h>

using namespace tw;
using namespace tw::test;

namespace {

using DeletedMailStoreTest = KeepTest;

TEST_F(DeletedMailStoreTest, AMissingIndexIsRebuiltFromTheFilesAndNoFileIsLost)
{
    const std::string whole = "From: \"Ann Smith\" <ann@example.org>\r\nSubject: =?UTF-8?B?TMOkbmRlcg==?=\r\n\r\nHi\r\n";
    const std::string headers = "From: king@spam.example\r\nSubject: Huge\r\n\r\n";
    const std::string firstName = keptFileName(kNow - 3600, 1, "uid-1");
    const std::string secondName = keptFileName(kNow - 60, 7, "a/b");
    ASSERT_TRUE(writeKeptFile(store.pathOf(firstName), whole, nullptr));
    ASSERT_TRUE(writeKeptFile(store.pathOf(secondName), headers, nullptr));

    const std::vector<KeptMessage> rows = store.load();

    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fileName, secondName); // newest first
    EXPECT_EQ(rows[0].mailbox, 7);
    EXPECT_EQ(rows[0].uidl, "a/b");
    EXPECT_EQ(rows[0].deletedAt, kNow - 60);
    EXPECT_TRUE(rows[0].headersOnly);
    EXPECT_EQ(rows[0].subject, "Huge");
    EXPECT_EQ(rows[1].subject, "L\xC3\xA4nder");
    EXPECT_EQ(rows[1].senderAddress, "ann@example.org");
    EXPECT_EQ(rows[1].senderName, "Ann Smith");
    EXPECT_FALSE(rows[1].headersOnly);
    EXPECT_EQ(rows[1].storedBytes, (long long)whole.size());
    EXPECT_EQ(rows[1].why, (std::vector<std::string>{DeletedMailStore::kRebuiltWhy}));
    EXPECT_EQ(readCopy(firstName), whole);
    EXPECT_EQ(readCopy(secondName), headers);
    // The rebuilt index is written: reading it again changes nothing.
    EXPECT_FALSE(parseKeptIndex(home.read("deleted/index.txt")).damaged);
    EXPECT_EQ(store.load(), rows);
}

TEST_F(DeletedMailStoreTest, ADamagedIndexKeepsItsGoodRowsAndRebuildsTheRest)
{
    const KeptMessage a = putCopy("A", 400), b = putCopy("B", 300), c = putCopy("C", 200), d = putCopy("D", 100);
    KeptMessage gone = a;
    gone.fileName = keptFileName(kNow, 1, "gone");
    std::string index = keptIndexText({a, b, c, gone});
    // The row of C is cut short, as a crash in the middle of writing would.
    const size_t rowOfC = index.find(c.fileName);
    index.erase(rowOfC + 30, index.find("\r\n", rowOfC) - rowOfC - 30);
    home.write("deleted/index.txt", index);

    const std::vector<KeptMessage> rows = store.load();

    EXPECT_EQ(subjects(rows), (std::vector<std::string>{"D", "C", "B", "A"}));
    EXPECT_EQ(rows[3], a); // the good rows keep everything, their explanation too
    EXPECT_EQ(rows[2], b);
    EXPECT_EQ(rows[1].why, (std::vector<std::string>{DeletedMailStore::kRebuiltWhy}));
    EXPECT_EQ(rows[0].why, (std::vector<std::string>{DeletedMailStore::kRebuiltWhy}));
    for (const KeptMessage &row : {a, b, c, d})
        EXPECT_EQ(readCopy(row.fileName), keptMessageText(row.subject));
    EXPECT_EQ(store.load(), rows);
}

TEST_F(DeletedMailStoreTest, AddAndRemoveChangeTheIndexAndTheFilesTogether)
{
    const KeptMessage a = putCopy("A", 300), b = putCopy("B", 200);
    ASSERT_TRUE(store.addRows({a}));
    store.load(); // a reading before B's row is added mends the index with a row rebuilt for B
    ASSERT_TRUE(store.addRows({b}));
    EXPECT_FALSE(parseKeptIndex(home.read("deleted/index.txt")).damaged);
    EXPECT_EQ(store.load(), (std::vector<KeptMessage>{b, a}));
    ASSERT_TRUE(store.remove({a.fileName}));
    EXPECT_EQ(store.load(), (std::vector<KeptMessage>{b}));
    EXPECT_EQ(readCopy(a.fileName), "<missing>");
    struct stat st {};
    ASSERT_EQ(::stat(store.pathOf(b.fileName).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(store.folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(DeletedMailStoreTest, NewNamesAvoidFilesAndNamesHandedOut)
{
    const KeptMessage a = putCopy("A", 0);
    const std::string second = store.newFileName(a.deletedAt, a.mailbox, a.uidl, {});
    EXPECT_EQ(second, keptFileName(a.deletedAt, a.mailbox, a.uidl, 2));
    EXPECT_EQ(store.newFileName(a.deletedAt, a.mailbox, a.uidl, {second}), keptFileName(a.deletedAt, a.mailbox, a.uidl, 3));
}

TEST_F(DeletedMailStoreTest, ExpiryTakesTheOldestFirstButNeverACopyLessThanADayOld)
{
    constexpr qint64 day = kSecondsPerDay;
    struct Case {
        const char *what;
        KeptCopyLimits limits;
        std::vector<std::string> left;
        bool overLimit;
    };
    // Each copy is as large as its subject says: 1000 bytes and so on.
    const long long each = (long long)keptMessageText("x").size();
    const std::vector<Case> cases = {
        {"copies off: nothing goes", {0, 1}, {"1h", "23h", "3d", "20d", "40d"}, false},
        {"by days", {30, 0}, {"1h", "23h", "3d", "20d"}, false},
        {"by days, one day", {1, 0}, {"1h", "23h"}, false},
        {"by size: oldest first until it fits", {30, 3 * each}, {"1h", "23h", "3d"}, false},
        {"by size: young copies stay, over the limit", {30, each}, {"1h", "23h"}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (const KeptMessage &row : store.load())
            store.remove({row.fileName});
        std::vector<KeptMessage> rows = {putCopy("40d", 40 * day), putCopy("20d", 20 * day), putCopy("3d", 3 * day),
                                         putCopy("23h", 23 * 3600), putCopy("1h", 3600)};
        for (KeptMessage &row : rows) // the same size for all
            row.storedBytes = each;
        ASSERT_TRUE(store.addRows(rows));
        const DeletedMailStore::ExpiryOutcome outcome = store.expire(c.limits, kNow);
        EXPECT_EQ(subjects(store.load()), c.left);
        EXPECT_EQ(outcome.overLimit, c.overLimit);
        EXPECT_EQ(outcome.removed, int(5 - c.left.size()));
        EXPECT_EQ(outcome.bytesLeft, each * (long long)c.left.size());
    }
}

} // namespace
