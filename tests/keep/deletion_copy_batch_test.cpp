// The copies of a deletion run, alone and against Dovecot: exactly the
// deleted messages are kept, byte for byte, and a message whose copy cannot
// be kept stays on the server.
#include "fixtures/dovecot_server.h"
#include "fixtures/file_faults.h"
#include "keep/deletion_copy_batch.h"
#include "keep_fixture.h"
#include "platform/clock.h"

#include <QDir>

using namespace tw;
using namespace tw::test;

namespace {

class DeletionCopyBatchTest : public KeepTest {
protected:
    void SetUp() override
    {
        KeepTest::SetUp();
        Clock::setFixedNow(QDateTime::fromSecsSinceEpoch(kNow, Qt::UTC));
    }
    void TearDown() override { Clock::setFixedNow(std::nullopt); }

    // Describes message Num as the deletion run does.
    static KeptMessage facts(int num)
    {
        KeptMessage row;
        row.mailbox = 2;
        row.server = "pop.example.org";
        row.user = "ann";
        row.size = 100 + num;
        row.subject = "Subject " + std::to_string(num);
        row.senderAddress = "king@spam.example";
        row.why = {"why " + std::to_string(num)};
        return row;
    }
    std::vector<std::string> folderFiles() const
    {
        std::vector<std::string> names;
        for (const QString &name : QDir(QString::fromStdString(store.folder())).entryList(QDir::Files))
            names.push_back(name.toStdString());
        return names;
    }
};

TEST_F(DeletionCopyBatchTest, WrittenCopiesGetTheirRowsBeforeAnyDeletion)
{
    DeletionCopyBatch batch(store, 1000);
    for (int num : {0, 3, 5})
        batch.describe(num, facts(num));
    std::vector<int> copying;
    batch.OnCopying = [&](int num) { copying.push_back(num); };
    batch.keep(0, "u0", keptMessageText("zero"), false);
    batch.keep(3, "u3", "Subject: three\r\n\r\n", true);
    batch.notSent(5, "-ERR locked");

    EXPECT_EQ(batch.keptCopies(), (std::vector<int>{0, 3}));
    EXPECT_EQ(copying, (std::vector<int>{0, 3}));
    const std::vector<KeptMessage> rows = store.load();
    ASSERT_EQ(rows.size(), 2u);
    KeptMessage expected = facts(3);
    expected.fileName = keptFileName(kNow, 2, "u3");
    expected.deletedAt = kNow;
    expected.uidl = "u3";
    expected.storedBytes = 18;
    expected.headersOnly = true;
    EXPECT_EQ(rows[0], expected);
    EXPECT_EQ(readCopy(rows[1].fileName), keptMessageText("zero"));
    ASSERT_EQ(batch.failures().size(), 1u);
    EXPECT_EQ(batch.failures()[0].num, 5);
    EXPECT_EQ(batch.failures()[0].reason, "the server did not send it: -ERR locked");

    // The server refused DELE 3: its copy goes again.
    batch.settle({0});
    EXPECT_EQ(subjects(store.load()), (std::vector<std::string>{"Subject 0"}));
    EXPECT_EQ(folderFiles().size(), 2u); // the copy and the index
}

TEST_F(DeletionCopyBatchTest, CopiesOfARunThatEndedBeforeItsDeletionsAreRemoved)
{
    DeletionCopyBatch batch(store, 1000);
    batch.describe(0, facts(0));
    batch.keep(0, "u0", keptMessageText("zero"), false);
    batch.settle({}); // the transfer failed before keptCopies
    EXPECT_TRUE(store.load().empty());
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(DeletionCopyBatchTest, ACopyThatCannotBeWrittenIsNotKeptAndLeavesNothingBehind)
{
    for (const bool fullDisk : {false, true}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "read-only folder");
        DeletionCopyBatch batch(store, 1000);
        batch.describe(0, facts(0));
        std::vector<int> kept;
        {
            std::unique_ptr<FileSizeLimit> limit;
            std::unique_ptr<WithoutWriteAccess> readOnly;
            if (fullDisk)
                limit = std::make_unique<FileSizeLimit>(10);
            else
                readOnly = std::make_unique<WithoutWriteAccess>(store.folder());
            batch.keep(0, "u0", keptMessageText("zero"), false);
            kept = batch.keptCopies();
        }
        EXPECT_TRUE(kept.empty());
        ASSERT_EQ(batch.failures().size(), 1u);
        EXPECT_EQ(batch.failures()[0].reason.rfind("its copy could not be written: ", 0), 0u) << batch.failures()[0].reason;
        batch.settle({});
        EXPECT_TRUE(folderFiles().empty());
    }
}

// --- against Dovecot --------------------------------------------------------------

std::string storedMessage(int n)
{
    const std::string number = std::to_string(n);
    std::string text = "From: Sender " + number + " <s" + number + "@example.org>\r\nSubject: Message " + number +
                       "\r\nDate: Tue, 5 Dec 2000 14:03:22 +0000\r\n\r\nBody of message " + number + "\r\n" +
                       ".a line the server dot-stuffs\r\n..and one it stuffs twice\r\n.\r\n";
    if (n == 4)
        text += std::string(3000, 'x') + "\r\n"; // larger than the batch keeps whole
    return text;
}

class DovecotCopies : public DeletionCopyBatchTest {
protected:
    std::unique_ptr<DovecotServer> server;
    TmsRemotePOP pop;
    std::vector<int> deleted;

    void startServer(int count)
    {
        std::vector<std::string> messages;
        for (int n = 1; n <= count; ++n)
            messages.push_back(storedMessage(n));
        server = std::make_unique<DovecotServer>(messages);
        ASSERT_TRUE(server->started()) << server->failure();
        pop.Server = server->hostAndPort();
        pop.UserName = DovecotServer::UserName;
        pop.Password = DovecotServer::Password;
        pop.SetTimeOut(10);
        pop.OnDeleted = [this](QObject *, int n) { deleted.push_back(n); };
        pop.UpdateInfo();
    }
    // Deletes the messages of Indexes with copies in a batch; returns the batch's failures.
    std::vector<DeletionCopyBatch::Failure> deleteWithCopies(const std::vector<int> &indexes,
                                                             const std::function<void()> &during = {})
    {
        DeletionCopyBatch batch(store, 2000);
        for (int index : indexes) {
            batch.describe(index, facts(index));
            pop.FlagForDeletion(index);
        }
        pop.DeletionCopies = &batch;
        std::unique_ptr<FileSizeLimit> limit;
        if (during)
            during();
        pop.TransferData();
        batch.settle(deleted);
        pop.DeletionCopies = nullptr;
        return batch.failures();
    }
};

TEST_F(DovecotCopies, ARunDeletingKOfNLeavesKCopiesEqualToTheStoredMessages)
{
    startServer(5);
    EXPECT_TRUE(deleteWithCopies({0, 2, 3}).empty());
    EXPECT_EQ(server->messagesLeft(), (std::vector<std::string>{storedMessage(2), storedMessage(5)}));
    const std::vector<KeptMessage> rows = store.load();
    ASSERT_EQ(rows.size(), 3u);
    std::map<std::string, const KeptMessage *> bySubject;
    for (const KeptMessage &row : rows)
        bySubject[row.subject] = &row;
    EXPECT_EQ(readCopy(bySubject["Subject 0"]->fileName), storedMessage(1));
    EXPECT_EQ(readCopy(bySubject["Subject 2"]->fileName), storedMessage(3));
    EXPECT_FALSE(bySubject["Subject 2"]->headersOnly);
    // Message 4 is larger than 2000 bytes: only its header block is kept.
    const std::string four = storedMessage(4);
    EXPECT_EQ(readCopy(bySubject["Subject 3"]->fileName), four.substr(0, four.find("\r\n\r\n") + 4));
    EXPECT_TRUE(bySubject["Subject 3"]->headersOnly);
    EXPECT_FALSE(bySubject["Subject 0"]->uidl.empty()); // Dovecot's unique id
    EXPECT_EQ(folderFiles().size(), 4u);
}

TEST_F(DovecotCopies, AMessageChangedAfterTheListingIsNeitherDeletedNorCopied)
{
    startServer(3);
    ASSERT_TRUE(server->removeMessage(1)); // the server now numbers message 3 as 2
    EXPECT_TRUE(deleteWithCopies({1, 2}).empty());
    EXPECT_EQ(server->messagesLeft(), (std::vector<std::string>{storedMessage(2), storedMessage(3)}));
    EXPECT_TRUE(store.load().empty());
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(DovecotCopies, AMessageWhoseCopyCannotBeWrittenStaysOnTheServer)
{
    for (const bool fullDisk : {false, true}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "read-only folder");
        startServer(2);
        deleted.clear();
        std::unique_ptr<FileSizeLimit> limit;
        std::unique_ptr<WithoutWriteAccess> readOnly;
        const std::vector<DeletionCopyBatch::Failure> failures = deleteWithCopies({0, 1}, [&] {
            if (fullDisk)
                limit = std::make_unique<FileSizeLimit>(100);
            else
                readOnly = std::make_unique<WithoutWriteAccess>(store.folder());
        });
        limit.reset();
        readOnly.reset();
        EXPECT_EQ(failures.size(), 2u);
        EXPECT_TRUE(deleted.empty());
        EXPECT_EQ(server->messagesLeft().size(), 2u);
        EXPECT_TRUE(folderFiles().empty());
    }
}

} // namespace
