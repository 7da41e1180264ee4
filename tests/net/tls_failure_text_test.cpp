// Why a TLS handshake failed, told from the platform's words: a plain port,
// no TLS version in common, or something else.
#include "net/tls_trust.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(TlsHandshakeFailure, IsToldFromThePlatformsWords)
{
    const struct {
        const char *platformText;
        TTlsHandshakeFailure expected;
    } cases[] = {
        {"error:0A00010B:SSL routines::wrong version number", TTlsHandshakeFailure::NotTls},
        {"error:0A0000C6:SSL routines::packet length too long", TTlsHandshakeFailure::NotTls},
        {"error:0A00009C:SSL routines::http request", TTlsHandshakeFailure::NotTls},
        {"error:0A000102:SSL routines::unsupported protocol", TTlsHandshakeFailure::NoCommonVersion},
        {"error:0A00042E:SSL routines::tlsv1 alert protocol version", TTlsHandshakeFailure::NoCommonVersion},
        {"error:0A0000BF:SSL routines::no protocols available", TTlsHandshakeFailure::NoCommonVersion},
        {"error:0A000410:SSL routines::sslv3 alert handshake failure", TTlsHandshakeFailure::Other},
        {"error:0A000438:SSL routines::tlsv1 alert internal error", TTlsHandshakeFailure::Other},
        {"", TTlsHandshakeFailure::Other},
    };
    for (const auto &c : cases)
        EXPECT_EQ(classifyHandshakeFailure(c.platformText), c.expected) << c.platformText;
}
