// The names of kept copies and the index that describes them read back as
// they were written, whatever bytes a server or a subject holds.
#include "keep/kept_file_name.h"
#include "keep/kept_index.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace tw;

namespace {

const qint64 kDecember8 = QDateTime(QDate(2026, 12, 8), QTime(21, 34, 5), Qt::UTC).toSecsSinceEpoch();

TEST(KeptFileName, EveryUidlMakesASafeNameThatReadsBack)
{
    struct Case {
        std::string uidl;
        int duplicate;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"0000a1b2", 1, "20261208T213405Z_3_0000a1b2.eml"},
        {"", 1, "20261208T213405Z_3_.eml"},
        {"../../etc/passwd", 1, "20261208T213405Z_3_%2E%2E%2F%2E%2E%2Fetc%2Fpasswd.eml"},
        {"a_b%c d", 2, "20261208T213405Z_3_a%5Fb%25c%20d_2.eml"},
        {std::string("\xff\x01", 2), 1, "20261208T213405Z_3_%FF%01.eml"},
    };
    for (const Case &c : cases) {
        const std::string name = keptFileName(kDecember8, 3, c.uidl, c.duplicate);
        EXPECT_EQ(name, c.name);
        const std::optional<KeptFileNameParts> parts = parseKeptFileName(name);
        ASSERT_TRUE(parts) << name;
        EXPECT_EQ(parts->deletedAt, kDecember8);
        EXPECT_EQ(parts->mailbox, 3);
        EXPECT_EQ(parts->uidl, c.uidl);
    }
    EXPECT_EQ(keptFileName(kDecember8, 1, std::string(300, 'u')).size(), std::string("20261208T213405Z_1_.eml").size() + 100);
}

TEST(KeptFileName, OtherNamesAreNotCopies)
{
    for (const char *name : {"index.txt", "msg_0.eml", "20261208T213405Z_1_x.eml.tmp-ab12Cd", "20261308T213405Z_1_x.eml",
                             "20261208T213405Z_one_x.eml", "20261208T213405Z_1_x%2.eml", "20261208T213405Z_1_x_y_z.eml",
                             "20261208T213405Z_1_x_-2.eml", "\xF3" "0261208T213405Z_1_x.eml", "00001208T213405Z_1_x.eml"})
        EXPECT_FALSE(parseKeptFileName(name)) << name;
}

KeptMessage sampleRow()
{
    KeptMessage row;
    row.fileName = keptFileName(kDecember8, 2, "uid\\1");
    row.deletedAt = kDecember8;
    row.mailbox = 2;
    row.server = "pop.example.org";
    row.user = "ann";
    row.uidl = "uid\\1";
    row.size = 123456;
    row.storedBytes = 2048;
    row.headersOnly = true;
    row.subject = "Tabs\tand\\back\\slashes\r\nand lines";
    row.senderAddress = "king@spam.example";
    row.senderName = "The \"King\"";
    row.why = {"Message from king@spam.example", "Subject of   Tabs", "", "Subject contains \\n literally"};
    return row;
}

TEST(KeptIndex, RowsReadBackExactly)
{
    KeptMessage second = sampleRow();
    second.fileName = keptFileName(kDecember8, 2, "uid\\1", 2);
    second.headersOnly = false;
    second.why.clear();
    KeptMessage imap = sampleRow();
    imap.fileName = keptFileName(kDecember8, 3, "1234567890.4294967295");
    imap.protocol = 1;
    imap.imapFolder = "Lists\tidewell\tusers";
    imap.imapJunkFolder = "[Gmail]/Spam";
    imap.imapSourceUidValidity = 1234567890;
    imap.imapJunkUidValidity = 0xFFFFFFFF;
    imap.imapSourceUid = 4294967295u;
    imap.imapJunkUid = 0; // the server gave no COPYUID
    const std::vector<KeptMessage> rows = {sampleRow(), second, imap};
    const std::string text = keptIndexText(rows);
    EXPECT_EQ(text.substr(0, text.find('\r')), kKeptIndexFirstLine);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4); // one line per row: nothing unescaped
    const ParsedKeptIndex parsed = parseKeptIndex(text);
    EXPECT_FALSE(parsed.damaged);
    EXPECT_EQ(parsed.rows, rows);
}

TEST(KeptIndex, ARowWrittenBeforeImapReadsAsAPop3RowAndStaysAsItWas)
{
    // A row as the index held it before IMAP rows existed: thirteen fields.
    const std::string old = std::string(kKeptIndexFirstLine) + "\r\n" +
                            keptFileName(kDecember8, 1, "UID-7") +
                            "\t2026-12-08T10:00:00Z\t1\tpop.example.org\tann\tUID-7\t900\t900\twhole"
                            "\tWin now\tking@spam.example\tKing\tMessage from king@spam.example\r\n";
    const ParsedKeptIndex parsed = parseKeptIndex(old);
    ASSERT_FALSE(parsed.damaged);
    ASSERT_EQ(parsed.rows.size(), 1u);
    EXPECT_EQ(parsed.rows[0].protocol, 0);
    EXPECT_EQ(parsed.rows[0].imapFolder, "");
    EXPECT_EQ(parsed.rows[0].imapJunkUid, 0u);
    EXPECT_EQ(keptIndexText(parsed.rows), old);
}

TEST(KeptIndex, ADamagedLineIsLeftOutAndTheRestReadsOn)
{
    const std::string good = keptIndexText({sampleRow()});
    const std::string row = good.substr(good.find("\r\n") + 2);
    KeptMessage other = sampleRow();
    other.fileName = keptFileName(kDecember8, 2, "other");
    const std::string otherRow = keptIndexText({other}).substr(good.find("\r\n") + 2);
    struct Case {
        const char *what;
        std::string text;
        size_t rowsLeft;
    };
    const std::vector<Case> cases = {
        {"cut in the middle of its last row", good + otherRow.substr(0, 40), 1},
        {"a field too few", good + otherRow.substr(otherRow.find('\t') + 1), 1},
        {"a size that is no number", good + std::string(otherRow).replace(otherRow.find("123456"), 6, "12x456"), 1},
        {"a bad escape", good + std::string(otherRow).replace(otherRow.find("\\t"), 2, "\\q"), 1},
        {"a name that is no copy's", good + "../../x.eml" + otherRow.substr(otherRow.find('\t')), 1},
        {"the same file twice", good + row, 1},
        {"no first line", row + otherRow, 2},
        {"binary garbage", std::string("\0\xff\r\n\x01\t\t\r\n", 9) + otherRow, 1},
        {"IMAP fields after no IMAP", good + otherRow.substr(0, otherRow.size() - 2) + "\tPOP3\tINBOX\tJunk\t1\t2\t3\t4\r\n", 1},
        {"an IMAP UID past 32 bits", good + otherRow.substr(0, otherRow.size() - 2) + "\tIMAP\tINBOX\tJunk\t1\t2\t4294967296\t4\r\n", 1},
        {"an IMAP field too few", good + otherRow.substr(0, otherRow.size() - 2) + "\tIMAP\tINBOX\tJunk\t1\t2\t3\r\n", 1},
    };
    for (const Case &c : cases) {
        const ParsedKeptIndex parsed = parseKeptIndex(c.text);
        EXPECT_TRUE(parsed.damaged) << c.what;
        EXPECT_EQ(parsed.rows.size(), c.rowsLeft) << c.what;
    }
}

} // namespace
