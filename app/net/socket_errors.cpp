#include "app/net/socket_errors.h"

namespace mobrelle {

int WinsockErrorCode(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return kWsaConnectionRefused;
    case QAbstractSocket::RemoteHostClosedError: return kWsaConnectionReset;
    case QAbstractSocket::HostNotFoundError: return kWsaHostNotFound;
    case QAbstractSocket::SocketAccessError: return kWsaAccessDenied;
    case QAbstractSocket::SocketResourceError: return kWsaNoBufferSpace;
    case QAbstractSocket::SocketTimeoutError: return kWsaTimedOut;
    case QAbstractSocket::NetworkError: return kWsaNetworkUnreachable;
    case QAbstractSocket::AddressInUseError: return kWsaAddressInUse;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return kWsaNotSupported;
    case QAbstractSocket::DatagramTooLargeError: return 10040;
    default: return -1;
  }
}

}  // namespace mobrelle
