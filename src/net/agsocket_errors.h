#pragma once
// Socket error numbers. The transport reports socket failures with the
// Windows Sockets numbers its callers know (10054 means the peer reset the
// connection and closes it), while the text shown to the user is the one the
// platform gave for the failure.

#include <QAbstractSocket>
#include <QHostInfo>

namespace tw {

constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAHOST_NOT_FOUND = 11001;

// The first and last number of the platform's socket error range.
constexpr int FirstSocketError = 10000;
constexpr int LastSocketError = 11004;

// The socket error number for a failure Qt reports on a socket. Returns 0
// for RemoteHostClosedError: an orderly close by the peer is not a failure,
// it only ends the data.
int socketErrorNumber(QAbstractSocket::SocketError error);

// The socket error number for a failed host lookup (0 when it succeeded).
int lookupErrorNumber(QHostInfo::HostInfoError error);

} // namespace tw
