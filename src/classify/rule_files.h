#pragma once
// The four rule tables, their layout and their files ("subj.lst",
// "from.lst", "header.lst", "except.lst" in the program folder).
//
// File layout, lines ending in CR LF:
//   "<columns>,<rows>"                 sizes, heading row and hidden column included
//   "cw <col>,<width>"                 one per column, the column's width on screen
//   "<col>,<row>,<text>"               one per non-empty cell, row by row from row 0;
//                                      CR in a text is written as TAB, LF as BS
// Readers accept CR LF, LF or CR line ends.

#include "classify/rule_table.h"
#include "net/errors.h"

#include <string>
#include <vector>

namespace tw {

enum class RuleKind { Subject, Sender, Header, Exception };

// Column numbers of the rule tables.
namespace col {
inline constexpr int What = 1;          // subject/sender/header: operator or kind; the key cell
inline constexpr int Matches = 2;       // subject/header rule text
inline constexpr int Case = 3;          // subject/header "Yes"/"No"
inline constexpr int SenderCondition = 2;
inline constexpr int SenderMatches = 3;
inline constexpr int Delete = 4;        // "Yes": check mark, else question mark
inline constexpr int Hits = 5;
inline constexpr int ExceptWhat = 0;
inline constexpr int ExceptCondition = 1;
inline constexpr int ExceptMatches = 2;
inline constexpr int ExceptCase = 3;
inline constexpr int ExceptHits = 4;
inline constexpr int ExceptPicture = 5;
inline constexpr int ExceptImage = 6;   // hidden: exception image number 3..14
} // namespace col

inline constexpr int kDefaultExceptionImage = 3;

// A failed read of a rule file: "File contains no data or corrupt file <path>"
// or "File <path> not found" (exists but cannot be opened).
class ERuleFileError : public ETidewellError {
public:
    using ETidewellError::ETidewellError;
};

// The file name of a kind's rule file ("subj.lst", ...).
std::string ruleFileName(RuleKind kind);
// The column that holds a rule's hit count (5; 4 in the exception table).
int hitsColumn(RuleKind kind);
// An empty table of the kind: headings and one empty row.
RuleTable emptyRuleTable(RuleKind kind);
// Writes the heading texts into row 0.
void SetGridHeadings(RuleKind kind, RuleTable &table);

// The mark picture a rule row shows: 0 (check) or 1 (question) from the
// "Del?" cell; for exceptions the image number of the hidden column (3 when
// empty or not a number).
int rulePicture(RuleKind kind, const RuleTable &table, int row);

// Replaces Table by the contents of the file at Path. A missing file gives
// the table 2 rows (headings and one empty row) with its columns kept.
// Raises ERuleFileError for an unreadable or corrupt file; Table may then
// hold part of the file.
void loadRuleFile(RuleKind kind, RuleTable &table, const std::string &path);
// The file's text for Table (what saveRuleFile writes).
std::string ruleFileText(const RuleTable &table);
// Writes Table to Path, replacing the file whole. Raises ERuleFileError
// "Unable to write to <path>" when the file cannot be written.
void saveRuleFile(const RuleTable &table, const std::string &path);

// Removes each row that equals the row above it in every visible cell (hit
// count included, exact bytes; the exception image number is not compared).
// Only neighbours are compared; tables with fewer than 3 rows stay as they are.
void DeleteDupsFromGrid(RuleKind kind, RuleTable &table);

// Turns the non-blank lines into subject rules ("Contains (whole word)", the
// trimmed line, case "No", delete "Yes", hits "0"), filling row 1 of an
// empty table first and appending after that.
void importSubjectLines(RuleTable &table, const std::vector<std::string> &lines);
// The same for exceptions ("E-mail address", "Equals", the trimmed line,
// "No", "0", image 3).
void importExceptionLines(RuleTable &table, const std::vector<std::string> &lines);

// The four tables the classification reads.
struct RuleTables {
    RuleTable subject = emptyRuleTable(RuleKind::Subject);
    RuleTable sender = emptyRuleTable(RuleKind::Sender);
    RuleTable header = emptyRuleTable(RuleKind::Header);
    RuleTable exceptions = emptyRuleTable(RuleKind::Exception);

    RuleTable &table(RuleKind kind);
    const RuleTable &table(RuleKind kind) const;
};

// Reads the four rule files from Folder in the order subject, header,
// sender, exceptions; the first failure raises ERuleFileError (after
// setting *FailedKind, when given, to the kind whose file it was) and the
// remaining files are not read.
void loadRuleTables(RuleTables &tables, const std::string &folder, RuleKind *failedKind = nullptr);
// Writes the four rule files into Folder; raises ERuleFileError at the first
// file that cannot be written.
void saveRuleTables(const RuleTables &tables, const std::string &folder);

} // namespace tw
