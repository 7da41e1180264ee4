#pragma once
// Prints a rule table: the title centred at the top, the date at the top
// left, the time at the top right, "Page <n>" at the bottom right, the
// rules below without borders.

#include "classify/rule_files.h"

#include <string>

class QPrinter;

namespace tw {

// The print title of a kind's table ("Tidewell - Subject Line Settings", ...).
std::string printTitle(RuleKind kind);
// Prints Table's headings and rules (not the picture or hidden columns) on Printer.
void printRuleTable(QPrinter &printer, RuleKind kind, const RuleTable &table);

} // namespace tw
