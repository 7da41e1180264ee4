#pragma once
// How a mailbox signs in, in terms every protocol client shares: with its
// password, or with an OAuth2 access token that a browser sign-in or the
// user's own token command provides. The protocol client asks for the token
// through an event just before it connects, so it never waits for a browser
// or a command with a connection open.

#include <QObject>

#include <functional>
#include <string>

namespace tw {

// The numbers are the stored setting's (SignIn<n>).
enum class TSignInMethod { Password = 0, OAuthBrowser = 1, OAuthCommand = 2 };

// The method of a stored setting; anything unknown is Password.
TSignInMethod signInMethodFromSetting(int value);
bool signsInWithToken(TSignInMethod method);

// Asked for an access token before a connection is opened. Raises
// ESignInError (or ESignInExpiredError) when none can be had; may also raise
// ECanceledError.
using TAccessTokenEvent = std::function<std::string(QObject *Sender)>;

// Asked before a password or token would go out over a connection that is
// not encrypted although the mailbox's security would have taken
// encryption had the server offered it. True sends it; false refuses, and
// Refusal (when set) says why, for the error that follows.
using TPlainTextEvent = std::function<bool(QObject *Sender, std::string &Refusal)>;

} // namespace tw
