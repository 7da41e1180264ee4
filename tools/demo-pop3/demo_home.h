#pragma once
// The demo that `make run` starts: a mailbox folder served by the demo POP3
// server and a program folder ("home") for Tidewell, both laid out afresh
// from the sources in resources/demo so every try starts from the same state.
//
//   <demo>/mailbox/   one file per message, served as mailbox 1
//   <demo>/home/      TIDEWELL_HOME: registry, rule files, blacklist, log

#include <QString>

#include <string>

namespace tw::demo {

inline constexpr const char *kDemoUser = "demo";
inline constexpr const char *kDemoPassword = "demo";
inline constexpr const char *kDemoAddress = "demo@tidewell.example";

// Removes Demo and copies Source/mailbox and Source/home into it. Returns
// false with Error when a folder cannot be removed, created or copied.
bool layOutDemo(const QString &source, const QString &demo, std::string &error);

// Sets up the program folder that TIDEWELL_HOME names for trying a mailbox:
// mailbox 1 (the preferred one) on Server ("host:port"), the activity log
// "logfile.txt" in the program folder, no mail program launched after a
// deletion, and the unknown-domain test off (no DNS is needed). Raises what
// the settings store raises.
void storeTryOutMailbox(const std::string &server, const std::string &user, const std::string &password);

// Writes the demo settings into the program folder that TIDEWELL_HOME names:
// mailbox 1 on Server ("host:port") with the demo user and password, the
// log in the program folder, no mail program launch, the unknown-domain test
// off (the demo has no DNS), the non-English test at one third, and rules
// that catch the demo spam with an exception for one newsletter. Raises
// what the settings store raises.
void configureDemoHome(const std::string &server);

} // namespace tw::demo
