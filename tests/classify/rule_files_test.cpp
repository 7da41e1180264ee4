#include "classify/rule_files.h"

#include "fixtures/temp_home.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

RuleTable subjectTable(std::initializer_list<std::vector<std::string>> rules)
{
    RuleTable table = emptyRuleTable(RuleKind::Subject);
    for (const auto &rule : rules) {
        const int row = table.rowForNewRule();
        for (size_t c = 0; c < rule.size(); ++c)
            table.setCell(static_cast<int>(c) + 1, row, rule[c]);
    }
    return table;
}

std::vector<std::string> column(const RuleTable &table, int col)
{
    std::vector<std::string> cells;
    for (int r = 1; r < table.RowCount(); ++r)
        cells.push_back(table.cell(col, r));
    return cells;
}

} // namespace

TEST(RuleFiles, EmptyTableFileHasSizesWidthsAndHeadings)
{
    const std::string text = ruleFileText(emptyRuleTable(RuleKind::Subject));
    EXPECT_EQ(text, "6,2\r\ncw 0,64\r\ncw 1,64\r\ncw 2,64\r\ncw 3,64\r\ncw 4,64\r\ncw 5,64\r\n"
                    "1,0,What\r\n2,0,Matches\r\n3,0,Case\r\n4,0,Del?\r\n5,0,Hits\r\n");
}

TEST(RuleFiles, RoundTripKeepsCommasLineBreaksAndWidths)
{
    test::TempHome home;
    RuleTable table = subjectTable({{"Contains", "cheap, fast, now", "No", "Yes", "7"},
                                    {"Equals", "two\r\nlines", "Yes", "No", "0"}});
    table.setColWidth(2, 211);
    saveRuleFile(table, home.file("subj.lst"));
    const std::string bytes = home.read("subj.lst");
    EXPECT_NE(bytes.find("2,2,two\t\blines\r\n"), std::string::npos) << "CR and LF travel as TAB and BS";
    EXPECT_NE(bytes.find("2,1,cheap, fast, now\r\n"), std::string::npos);

    RuleTable loaded = emptyRuleTable(RuleKind::Subject);
    loadRuleFile(RuleKind::Subject, loaded, home.file("subj.lst"));
    EXPECT_EQ(loaded.RowCount(), 3);
    EXPECT_EQ(column(loaded, 2), (std::vector<std::string>{"cheap, fast, now", "two\r\nlines"}));
    EXPECT_EQ(column(loaded, 5), (std::vector<std::string>{"7", "0"}));
    EXPECT_EQ(loaded.colWidth(2), 211);
    EXPECT_EQ(ruleFileText(loaded), bytes);
}

TEST(RuleFiles, ReadsAnyLineEndAndSkipsCellsOutside)
{
    test::TempHome home;
    home.write("from.lst", "6,3\ncw 0,10\rcw 9,99\r\n1,1,Domain name\n2,1,Equals\n3,1,spam.example\n"
                           "9,1,outside\n1,7,outside\nnot a cell line\n4,1,Yes\n");
    RuleTable table = emptyRuleTable(RuleKind::Sender);
    loadRuleFile(RuleKind::Sender, table, home.file("from.lst"));
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.ColCount(), 6);
    EXPECT_EQ(table.colWidth(0), 10);
    EXPECT_EQ(table.cell(3, 1), "spam.example");
    EXPECT_EQ(rulePicture(RuleKind::Sender, table, 1), 0);
    EXPECT_EQ(rulePicture(RuleKind::Sender, table, 2), 1);
}

TEST(RuleFiles, MissingFileGivesEmptyTableAndCorruptFileRaises)
{
    test::TempHome home;
    RuleTable table = subjectTable({{"Contains", "x", "No", "Yes", "1"}, {"Contains", "y", "No", "Yes", "1"}});
    loadRuleFile(RuleKind::Subject, table, home.file("subj.lst"));
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_TRUE(table.isEmptyTable());

    for (const char *bad : {"", "garbage\r\n", "0,5\r\n", "6,0\r\n"}) {
        home.write("subj.lst", bad);
        try {
            loadRuleFile(RuleKind::Subject, table, home.file("subj.lst"));
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const ERuleFileError &e) {
            EXPECT_EQ(std::string(e.what()), "File contains no data or corrupt file " + home.file("subj.lst"));
        }
    }
}

TEST(RuleFiles, TableGrowsWithTheRowsReadNotWithTheSizeLine)
{
    test::TempHome home;
    RuleTable table = emptyRuleTable(RuleKind::Subject);

    // A size line alone must not allocate a million rows of 64 columns.
    home.write("subj.lst", "64,1000000");
    loadRuleFile(RuleKind::Subject, table, home.file("subj.lst"));
    EXPECT_LE(table.RowCount(), 1001);
    EXPECT_EQ(table.ColCount(), 6);

    // Declared empty rows after the last cell are kept, as a saved table has them.
    home.write("subj.lst", "6,5\r\n1,1,Contains\r\n2,1,x\r\n");
    loadRuleFile(RuleKind::Subject, table, home.file("subj.lst"));
    EXPECT_EQ(table.RowCount(), 5);
    EXPECT_EQ(table.cell(2, 1), "x");

    // One cell far beyond every row read is no table the program wrote.
    home.write("subj.lst", "6,1000000\r\n1,999999,far away\r\n");
    EXPECT_THROW(loadRuleFile(RuleKind::Subject, table, home.file("subj.lst")), ERuleFileError);
}

// Cells that fill nothing (a column the table does not have, an empty text)
// must not stretch the table either, or the saved table reads back shorter.
TEST(RuleFiles, ATableReadsBackAsItWasSaved)
{
    struct Case {
        const char *what;
        const char *file;
        int rows;
    };
    const Case cases[] = {
        {"cell in a column the table lacks", "64,44444\r\n6,1,9\r\n", 1000},
        {"empty cell far down", "6,5000\r\n1,1,Contains\r\n1,900,\r\n", 1002},
        {"cells in any order", "6,3000\r\n1,999,c\r\n1,1,a\r\n1,1500,b\r\n", 2501},
    };
    test::TempHome home;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RuleTable table = emptyRuleTable(RuleKind::Subject);
        home.write("subj.lst", c.file);
        loadRuleFile(RuleKind::Subject, table, home.file("subj.lst"));
        EXPECT_EQ(table.RowCount(), c.rows);
        saveRuleFile(table, home.file("subj.lst"));
        RuleTable reread = emptyRuleTable(RuleKind::Subject);
        loadRuleFile(RuleKind::Subject, reread, home.file("subj.lst"));
        EXPECT_EQ(ruleFileText(reread), ruleFileText(table));
    }
}

TEST(RuleFiles, OldExceptionFileGetsPictureAndImageColumns)
{
    test::TempHome home;
    home.write("except.lst", "5,2\r\n0,1,E-mail address\r\n1,1,Equals\r\n2,1,friend@x.org\r\n3,1,No\r\n4,1,2\r\n");
    RuleTable table = emptyRuleTable(RuleKind::Exception);
    loadRuleFile(RuleKind::Exception, table, home.file("except.lst"));
    EXPECT_EQ(table.ColCount(), 7);
    EXPECT_EQ(table.cell(col::ExceptHits, 1), "2");
    EXPECT_EQ(table.cell(col::ExceptImage, 1), "");
    EXPECT_EQ(rulePicture(RuleKind::Exception, table, 1), 3);
}

TEST(RuleFiles, DuplicateRemovalTouchesOnlyNeighbours)
{
    RuleTable table = subjectTable({{"Contains", "a", "No", "Yes", "0"},
                                    {"Contains", "a", "No", "Yes", "0"},
                                    {"Contains", "a", "No", "Yes", "0"},
                                    {"Contains", "b", "No", "Yes", "0"},
                                    {"Contains", "a", "No", "Yes", "0"},
                                    {"Contains", "a", "No", "Yes", "3"}});
    DeleteDupsFromGrid(RuleKind::Subject, table);
    EXPECT_EQ(column(table, 2), (std::vector<std::string>{"a", "b", "a", "a"}));

    RuleTable exceptions = emptyRuleTable(RuleKind::Exception);
    importExceptionLines(exceptions, {"x@y.org", "x@y.org"});
    exceptions.setCell(col::ExceptImage, 2, "9"); // the image number is not compared
    DeleteDupsFromGrid(RuleKind::Exception, exceptions);
    EXPECT_EQ(exceptions.RowCount(), 2);
}

TEST(RuleFiles, ImportSkipsBlankLinesAndFillsTheEmptyRowFirst)
{
    RuleTable subjects = emptyRuleTable(RuleKind::Subject);
    importSubjectLines(subjects, {"  cheap pills \t", " \r\n", "\tcasino"});
    ASSERT_EQ(subjects.RowCount(), 3);
    EXPECT_EQ(column(subjects, 1), (std::vector<std::string>{"Contains (whole word)", "Contains (whole word)"}));
    EXPECT_EQ(column(subjects, 2), (std::vector<std::string>{"cheap pills", "casino"}));
    EXPECT_EQ(column(subjects, 3), (std::vector<std::string>{"No", "No"}));
    EXPECT_EQ(column(subjects, 4), (std::vector<std::string>{"Yes", "Yes"}));
    EXPECT_EQ(column(subjects, 5), (std::vector<std::string>{"0", "0"}));

    RuleTable exceptions = emptyRuleTable(RuleKind::Exception);
    importExceptionLines(exceptions, {"boss@work.org"});
    EXPECT_EQ(exceptions.RowCount(), 2);
    EXPECT_EQ(exceptions.cell(col::ExceptWhat, 1), "E-mail address");
    EXPECT_EQ(exceptions.cell(col::ExceptCondition, 1), "Equals");
    EXPECT_EQ(exceptions.cell(col::ExceptMatches, 1), "boss@work.org");
    EXPECT_EQ(exceptions.cell(col::ExceptHits, 1), "0");
    EXPECT_EQ(exceptions.cell(col::ExceptImage, 1), "3");
}

TEST(RuleFiles, AllFourTablesSaveAndLoadTogether)
{
    test::TempHome home;
    RuleTables tables;
    importSubjectLines(tables.subject, {"lottery"});
    importExceptionLines(tables.exceptions, {"me@home.org"});
    saveRuleTables(tables, home.path());
    for (const char *name : {"subj.lst", "from.lst", "header.lst", "except.lst"})
        EXPECT_FALSE(home.read(name).empty()) << name;

    RuleTables loaded;
    loadRuleTables(loaded, home.path());
    EXPECT_EQ(loaded.subject.cell(col::Matches, 1), "lottery");
    EXPECT_EQ(loaded.exceptions.cell(col::ExceptMatches, 1), "me@home.org");
    EXPECT_TRUE(loaded.header.isEmptyTable());
}
