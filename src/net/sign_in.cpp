#include "net/sign_in.h"

namespace tw {

TSignInMethod signInMethodFromSetting(int value)
{
    switch (value) {
    case int(TSignInMethod::OAuthBrowser): return TSignInMethod::OAuthBrowser;
    case int(TSignInMethod::OAuthCommand): return TSignInMethod::OAuthCommand;
    default: return TSignInMethod::Password;
    }
}

bool signsInWithToken(TSignInMethod method) { return method != TSignInMethod::Password; }

} // namespace tw
