#pragma once
// Commands on the rows of a rule table as the spam settings window offers
// them: insert, delete, move, sort and the check of an edited hit count.

#include "classify/rule_files.h"

#include <string>

namespace tw {

// The row a new rule goes into: row 1 of an empty table, else a blank row
// inserted at Current (pushing it and the rows below down).
int insertRuleRow(RuleTable &table, int current);
// Clears the only rule of a one-rule table; else removes row Row.
void deleteRule(RuleTable &table, int row);
// Swaps Row with the row above / below. Returns the row the rule is in
// afterwards (Row itself when it is already first / last).
int moveRuleUp(RuleTable &table, int row);
int moveRuleDown(RuleTable &table, int row);
// Sorts the rules by Column: the hits column numerically (empty counts as
// 0), every other column alphabetically ignoring ASCII case. Stable.
void sortRules(RuleKind kind, RuleTable &table, int column, bool ascending);
// Whether Text is accepted as an edited hit count: digits (or "_") only,
// converting to a number of 0 or more.
bool validHitCount(const std::string &text);

// The columns a user may edit in place, click to sort, and the pattern column.
bool editableColumn(RuleKind kind, int column);
bool sortableColumn(RuleKind kind, int column);
int patternColumn(RuleKind kind);

} // namespace tw
