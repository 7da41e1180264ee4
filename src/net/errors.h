#pragma once
// Error classes of the internet library. Each carries one message text; the
// texts with identifiers come from the string table (stringtable.h).

#include <stdexcept>
#include <string>

namespace tw {

// Base of every error the internet library raises.
class ETidewellError : public std::runtime_error {
public:
    explicit ETidewellError(const std::string &message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

#define TIDEWELL_ERROR_CLASS(Name, Base)                                                                               \
    class Name : public Base {                                                                                         \
    public:                                                                                                            \
        using Base::Base;                                                                                              \
    };

TIDEWELL_ERROR_CLASS(ESocketError, ETidewellError)       // socket failure or failed transport check
TIDEWELL_ERROR_CLASS(ETlsError, ESocketError)            // the connection could not be secured as asked
TIDEWELL_ERROR_CLASS(ECertificateError, ETlsError)       // the server's certificate was not trusted
TIDEWELL_ERROR_CLASS(ETimedOutError, ETidewellError)     // 57000
TIDEWELL_ERROR_CLASS(ECanceledError, ETidewellError)     // 57001
TIDEWELL_ERROR_CLASS(EServerError, ETidewellError)       // a server's negative reply line
TIDEWELL_ERROR_CLASS(ELoginRefusedError, EServerError)   // ... to the user name or the password
TIDEWELL_ERROR_CLASS(EWinsockDLLError, ETidewellError)   // socket service missing
TIDEWELL_ERROR_CLASS(ERASError, ETidewellError)          // dial-up failure
TIDEWELL_ERROR_CLASS(EResolverError, ETidewellError)     // DNS-level failure
TIDEWELL_ERROR_CLASS(EResolverRefusedError, EResolverError) // a resolver's policy answer: nothing was checked
TIDEWELL_ERROR_CLASS(EMessageError, ETidewellError)      // message validation
TIDEWELL_ERROR_CLASS(EMessageParserError, ETidewellError) // MIME structure or decoding
// Signing in with a token failed: none could be had, or the server refused it.
// Never a wrong password: the text says what to do (sign in again, mend the
// token command).
TIDEWELL_ERROR_CLASS(ESignInError, ETidewellError)
// The refresh token no longer works (consent revoked, past its lifetime), or
// no sign-in has taken place yet: only a sign-in in the browser helps.
TIDEWELL_ERROR_CLASS(ESignInExpiredError, ESignInError)

#undef TIDEWELL_ERROR_CLASS

} // namespace tw
