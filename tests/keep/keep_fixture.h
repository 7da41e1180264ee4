#pragma once
// A deleted-mail folder in a temporary program folder, with helpers that
// put copies and index rows there as earlier runs would have.

#include "fixtures/temp_home.h"
#include "keep/deleted_mail_store.h"
#include "keep/kept_file_name.h"
#include "keep/kept_index.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace tw::test {

inline const qint64 kNow = QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();

// A small message from Sender about Subject.
inline std::string keptMessageText(const std::string &subject, const std::string &sender = "ann@example.org")
{
    return "From: " + sender + "\r\nSubject: " + subject + "\r\n\r\nBody of " + subject + "\r\n";
}

class KeepTest : public ::testing::Test {
protected:
    TempHome home;
    DeletedMailStore store{home.file("deleted")};

    void SetUp() override { ASSERT_TRUE(store.prepareFolder()); }

    // Writes a copy deleted AgeSeconds before kNow and returns its row (not
    // yet in the index).
    KeptMessage putCopy(const std::string &subject, qint64 ageSeconds, const std::string &bytes = {})
    {
        KeptMessage row;
        row.deletedAt = kNow - ageSeconds;
        row.mailbox = 1;
        row.uidl = "uid-" + subject;
        row.fileName = keptFileName(row.deletedAt, row.mailbox, row.uidl);
        row.subject = subject;
        row.senderAddress = "ann@example.org";
        row.why = {"Message from ann@example.org", "Subject of   " + subject, "", "Subject contains " + subject};
        const std::string text = bytes.empty() ? keptMessageText(subject) : bytes;
        row.size = row.storedBytes = (long long)text.size();
        EXPECT_TRUE(writeKeptFile(store.pathOf(row.fileName), text, nullptr));
        return row;
    }
    std::string readCopy(const std::string &fileName) const { return store.read(fileName).value_or("<missing>"); }
    std::vector<std::string> subjects(const std::vector<KeptMessage> &rows) const
    {
        std::vector<std::string> list;
        for (const KeptMessage &row : rows)
            list.push_back(row.subject);
        return list;
    }
};

} // namespace tw::test
