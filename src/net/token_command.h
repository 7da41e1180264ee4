#pragma once
// The user's own token helper: a command that prints an OAuth2 access token,
// for providers and organisations whose sign-in the user already handles
// with a tool of their own. It runs with /bin/sh -c before every login.

#include <functional>
#include <string>

namespace tw {

inline constexpr int kTokenCommandSeconds = 30;

// Runs Command with "/bin/sh -c" and returns the first line of its standard
// output (without its line end) as the access token. The program's events
// are handled meanwhile; the command is ended when it runs longer than
// Seconds or when Canceled() becomes true (checked at least once a second).
// Raises ESignInError, quoting the first line of the command's error output
// when there is one, for a command that cannot start, exits non-zero, prints
// no token or runs too long; ECanceledError when canceled. Only the first
// 4 KB of the error output are kept. The command runs in a process group of
// its own, which is ended whole when the command is stopped.
std::string runTokenCommand(const std::string &command, int seconds = kTokenCommandSeconds,
                            const std::function<bool()> &canceled = {});

} // namespace tw
