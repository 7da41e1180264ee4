#include "classify/known_spammers.h"

#include "fixtures/temp_home.h"
#include "platform/bytes.h"

#include <QFile>
#include <QLocale>
#include <gtest/gtest.h>

using namespace tw;

namespace {
struct Lookup {
    bool found;
    std::string kind;
    std::string value;
};
Lookup lookUp(const KnownSpammers &list, const std::string &address)
{
    Lookup r;
    r.found = list.isInKnownList(address, r.kind, r.value);
    return r;
}
} // namespace

TEST(KnownSpammers, CaseInsensitiveSearchByAddressThenDomain)
{
    test::TempHome home;
    // Unsorted on purpose: loading puts every line at its sorted place.
    home.write("known.lst", "zzz@last.example\r\nSpammer.Example\r\nbulk@Mailer.example\r\naaa.example\r\n");
    KnownSpammers list;
    list.LoadUpKnownList(home.file("known.lst"));
    ASSERT_EQ(list.count(), 4);

    Lookup r = lookUp(list, "anyone@spammer.example");
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.kind, "Domain");
    EXPECT_EQ(r.value, "spammer.example");

    r = lookUp(list, "spammer.example");
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.kind, "E-mail");

    r = lookUp(list, "BULK@mailer.EXAMPLE");
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.kind, "E-mail");
    EXPECT_EQ(r.value, "BULK@mailer.EXAMPLE");

    EXPECT_FALSE(lookUp(list, "other@mailer.example").found);
    EXPECT_FALSE(lookUp(list, "x@y@aaa.example").found);
    EXPECT_TRUE(lookUp(list, "ZZZ@LAST.example").found);
    EXPECT_TRUE(lookUp(list, "x@AAA.example").found);
}

TEST(KnownSpammers, SenderWithTwoAtSignsIsLookedUpByEverythingAfterTheFirst)
{
    test::TempHome home;
    home.write("known.lst", "b@c.example\r\n");
    KnownSpammers list;
    list.LoadUpKnownList(home.file("known.lst"));
    const Lookup r = lookUp(list, "a@b@c.example");
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.value, "b@c.example");
}

TEST(KnownSpammers, LongEntriesMatchOnlyTheirFirst80Bytes)
{
    test::TempHome home;
    const std::string longEntry = std::string(90, 'a') + ".example";
    home.write("known.lst", longEntry + "\r\n");
    KnownSpammers list;
    list.LoadUpKnownList(home.file("known.lst"));
    EXPECT_FALSE(list.contains(longEntry));
    EXPECT_TRUE(list.contains(longEntry.substr(0, 80)));
}

TEST(KnownSpammers, MissingFileGivesEmptyList)
{
    test::TempHome home;
    KnownSpammers list;
    list.LoadUpKnownList(home.file("known.lst"));
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(lookUp(list, "a@b").found);
}

TEST(KnownSpammers, RebuildDropsNumericUsersAndRepeatsAndSorts)
{
    test::TempHome home;
    home.write("known.lst", "old.example\r\n");
    KnownSpammers list;
    list.LoadUpKnownList(home.file("known.lst"));
    ASSERT_TRUE(list.rebuild("\r\n\r\nzed@spam.example\r\nZED@SPAM.example\r\n12_34@numbers.example\r\n"
                             "@nobody.example\r\nbulk.example\r\nlast@typed.example",
                             home.file("known.lst")));
    EXPECT_EQ(home.read("known.lst"), "bulk.example\r\nlast@typed.example\r\nzed@spam.example\r\n");
    EXPECT_FALSE(list.contains("old.example"));
    EXPECT_TRUE(list.contains("ZED@spam.example"));
}

TEST(KnownSpammers, RebuildNeverCreatesTheFile)
{
    test::TempHome home;
    KnownSpammers list;
    ASSERT_TRUE(list.rebuild("new.example\r\n", home.file("known.lst")));
    EXPECT_TRUE(list.contains("new.example"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(home.file("known.lst"))));
}

TEST(KnownSpammers, OrderAndLookupAgreeUnderALanguageLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    test::TempHome home;
    home.write("known.lst", "zeta.example\r\n\xC3\xA4rger.example\r\n_under@x.example\r\nAlpha.example\r\n"
                            "b-c.example\r\nbc.example\r\n9numbers.example\r\n\xE4latin1.example\r\n");
    KnownSpammers list;
    list.LoadUpKnownList(home.file("known.lst"));
    QLocale::setDefault(previous);
    ASSERT_EQ(list.count(), 8);
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_TRUE(list.contains(list.entry(i))) << list.entry(i);
        EXPECT_TRUE(list.contains(upperCase(list.entry(i)))) << list.entry(i);
    }
    EXPECT_FALSE(list.contains("missing.example"));
}
