#include "online/http/http_socket_errors.h"

namespace mobrelle {

int HttpSocketErrorCode(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::NetworkError: return 10051;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::AddressInUseError: return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    case QAbstractSocket::DatagramTooLargeError: return 10040;
    default: return 20000 + static_cast<int>(error);  // no Winsock number: shown as such
  }
}

std::string HttpSocketErrorText(int code) {
  switch (code) {
    case 0: return "No Error";
    case 10013: return "Permission denied";
    case 10040: return "Message too long";
    case 10045: return "Operation not supported on socket";
    case 10048: return "Address already in use";
    case 10049: return "Cannot assign requested address";
    case 10051: return "Network is unreachable";
    case 10053: return "Software caused connection abort";
    case 10054: return "Connection reset by peer";
    case 10055: return "No buffer space available";
    case 10060: return "Connection timed out";
    case 10061: return "Connection refused";
    case 10065: return "No route to host";
    case 11001: return "Host not found";
    default: return "Not a WinSock error";
  }
}

}  // namespace mobrelle
