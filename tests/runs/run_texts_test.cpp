// The question before a deletion names what really happens to the messages.
#include "runs/run_texts.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(DeletionQuestion, SaysDeleteOrMoveAsTheMailboxDoesIt)
{
    struct Case {
        int deleted, moved;
        const char *question;
    } cases[] = {
        {2, 0, "Really delete 2 messages from server?"},                 // POP3, or IMAP deleting for good
        {0, 3, "Really move 3 messages to Junk?"},                       // IMAP
        {2, 1, "Really delete 3 messages from server?\n1 of them (IMAP) go to Junk instead."},
    };
    for (const Case &c : cases)
        EXPECT_EQ(deletionQuestion(c.deleted, c.moved), c.question) << c.deleted << " " << c.moved;
}
