#pragma once
// A short look at a guessed mail server: does an IMAP or POP3 server answer
// on this port, and does it offer STARTTLS? It connects (TLS from the start
// on a TLS port), reads the greeting and, on a port without TLS, the
// capabilities (IMAP CAPABILITY, POP3 CAPA), then hangs up. Nothing else is
// sent: no user name, no password, not even a LOGOUT or QUIT.
//
// The certificate of a TLS port is not judged here: the probe only learns
// that a mail server speaks there. The session that signs in later checks
// it as every session does.

#include "net/mail_providers.h"

#include <cstdint>
#include <string>

namespace tw {

struct TProbeTarget {
    TMailProtocol protocol = TMailProtocol::IMAP;
    std::string host;    // the name, for TLS (SNI)
    std::string address; // where to connect: dotted IPv4
    uint16_t port = 0;
    bool implicitTls = false;
};

enum class TProbeOutcome {
    NoServer,     // nothing answered as the protocol's server within the time
    Unencrypted,  // a server that offers no STARTTLS
    StartTls,     // a server that offers STARTTLS
    Tls,          // a server on a TLS port
};

// Looks at Target for at most TimeOutSeconds in all (connection, handshake,
// greeting and capabilities). Waits in the event loop; never raises.
TProbeOutcome probeMailServer(const TProbeTarget &target, int timeOutSeconds);

} // namespace tw
