#pragma once
// The help window: shows "tidewell.hlp" (an HTML document in the program
// folder) at a named topic. Returns false when the file cannot be read, so
// the caller can show its error text. Parent is the window the help is
// asked from (the modal window in front, if any): the help window is shown
// in front of it and stays usable while it is open.

#include <string>

class QWidget;

namespace tw {

bool showHelp(const std::string &topic = {}, QWidget *parent = nullptr);

} // namespace tw
