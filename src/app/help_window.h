#pragma once
// The help window: shows "tidewell.hlp" (an HTML document in the program
// folder) at a named topic. Returns false when the file cannot be read, so
// the caller can show its error text.

#include <string>

class QWidget;

namespace tw {

bool showHelp(const std::string &topic = {}, QWidget *parent = nullptr);

} // namespace tw
