#pragma once
// The program's version, as the About window shows it and as Tidewell names
// itself to a server that asks (IMAP ID).

namespace tw {

inline constexpr const char *kProgramVersion = "1.9.1";

} // namespace tw
