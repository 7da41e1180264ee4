#pragma once
// How a mail session is protected, in terms every protocol client and the
// discovery of a mailbox's servers share. The numbers are the stored
// setting's (Security<n>).
//  - TLS: the connection is TLS from the start (POP3S port 995, IMAPS 993).
//  - STARTTLS: after the greeting the server must offer STARTTLS; the
//    handshake comes before the sign-in, and the capabilities are read
//    again inside TLS.
//  - Automatic: TLS on the protocol's TLS port, otherwise STARTTLS when the
//    server offers it, otherwise unencrypted.
//  - None: unencrypted.

namespace tw {

enum class TMailSecurity { Automatic = 0, TLS = 1, STARTTLS = 2, None = 3 };

// The security of a stored setting; anything unknown is Automatic.
TMailSecurity mailSecurityFromSetting(int value);

} // namespace tw
