#pragma once
// tidewell-check --discover ADDRESS: the servers for an e-mail address,
// found as the window's "Add from address…" finds them, printed one line
// each (or as one JSON object).

#include <ostream>
#include <string>

namespace tw::check {

// Finds the servers for Address through the configured DNS server and
// prints them to Out, notes and "nothing found" to Err. Returns the exit
// status: 0 when something was found, 1 when nothing was, 2 when Address
// is no e-mail address.
int discoverCommand(const std::string &address, bool json, std::ostream &out, std::ostream &err);

} // namespace tw::check
