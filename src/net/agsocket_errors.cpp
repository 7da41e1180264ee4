#include "net/agsocket_errors.h"

namespace tw {

int socketErrorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        return 0;
    case QAbstractSocket::ConnectionRefusedError:
        return WSAECONNREFUSED;
    case QAbstractSocket::HostNotFoundError:
        return WSAHOST_NOT_FOUND;
    case QAbstractSocket::SocketTimeoutError:
        return WSAETIMEDOUT;
    case QAbstractSocket::SocketAccessError:
        return 10013; // WSAEACCES
    case QAbstractSocket::SocketResourceError:
        return 10055; // WSAENOBUFS
    case QAbstractSocket::DatagramTooLargeError:
        return 10040; // WSAEMSGSIZE
    case QAbstractSocket::NetworkError:
        return 10051; // WSAENETUNREACH
    case QAbstractSocket::AddressInUseError:
        return 10048; // WSAEADDRINUSE
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049; // WSAEADDRNOTAVAIL
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045; // WSAEOPNOTSUPP
    case QAbstractSocket::OperationError:
        return 10036; // WSAEINPROGRESS
    default:
        return 10022; // WSAEINVAL: any other failure of the socket
    }
}

int lookupErrorNumber(QHostInfo::HostInfoError error)
{
    switch (error) {
    case QHostInfo::NoError:
        return 0;
    case QHostInfo::HostNotFound:
        return WSAHOST_NOT_FOUND;
    default:
        return 11002; // WSATRY_AGAIN
    }
}

} // namespace tw
