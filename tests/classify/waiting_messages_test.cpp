#include "classify/waiting_messages.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {
WaitingMessages listWithMarks(std::initializer_list<int> marks)
{
    WaitingMessages list;
    for (int m : marks) {
        TWaitingMessage message;
        message.mark = m;
        list.add(message);
    }
    return list;
}
} // namespace

TEST(WaitingMessages, CountsAndResetOnlyCountDeletionMarks)
{
    WaitingMessages empty;
    EXPECT_EQ(empty.ShowTotalCount(), "Message Total: 0 Number Marked: 0");
    WaitingMessages list = listWithMarks({-1, 0, 1, 2, 3, 14});
    EXPECT_EQ(list.ShowTotalCount(), "Message Total: 6 Number Marked: 2");
    EXPECT_EQ(list.ResetButtonClick(), "Message Total: 6 Number Marked: 0");
    for (int i = 0; i < list.count(); ++i)
        EXPECT_EQ(list.row(i).mark, mark::None);
}

TEST(WaitingMessages, ToggleNeedsSelectionAndNeverGivesBlacklistBack)
{
    WaitingMessages empty;
    EXPECT_FALSE(empty.btMarkClick());
    EXPECT_EQ(empty.NadaSelected(), "Either there are no e-mail messages waiting on the mail server or you have not "
                                    "yet clicked on the \"Check E-Mail\" button.");

    WaitingMessages list = listWithMarks({2, 3, 1, -1, 0});
    EXPECT_FALSE(list.btMarkClick());
    EXPECT_TRUE(list.NadaSelected().starts_with("No messages were selected.  To select one message"));
    for (int i = 0; i < 4; ++i)
        list.row(i).selected = true;
    ASSERT_TRUE(list.btMarkClick());
    EXPECT_EQ(list.row(0).mark, mark::None);
    EXPECT_EQ(list.row(1).mark, mark::CheckMark);
    EXPECT_EQ(list.row(2).mark, mark::CheckMark);
    EXPECT_EQ(list.row(3).mark, mark::CheckMark);
    EXPECT_EQ(list.row(4).mark, mark::CheckMark); // not selected: untouched
    list.btMarkClick();
    EXPECT_EQ(list.row(0).mark, mark::CheckMark); // blacklist mark toggles back to a plain check
}

TEST(WhyLog, LineLayout)
{
    WhyLog why;
    why.whyAdd(true, "Subject", "Contains", "x");
    EXPECT_TRUE(why.lines.empty()) << "nothing is written outside why mode";
    why.whyMode = true;
    why.whyAdd(true, "Subject", "Contains", "cheap", true);
    why.whyAdd(false, "Subject", "Is blank");
    why.whyAdd(false, "Size", "smaller than", "100");
    why.whyExcept("Domain name", "Equals", "example.org");
    why.whyAdd(true, "E-mail", "\"a@b\" is listed");
    EXPECT_EQ(why.lines, (std::vector<std::string>{
                             "Delete   :  Subject Contains \"cheap\"  (Case Sensitive)",
                             "Question :  Subject Is blank",
                             "Question :  Size smaller than \"100\" ",
                             "Exception :  Domain name Equals \"example.org\" ",
                             "Delete   :  E-mail \"a@b\" is listed",
                         }));
}
