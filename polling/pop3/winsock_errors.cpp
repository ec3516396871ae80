#include "polling/pop3/winsock_errors.h"

namespace mobrelle {

std::string SocketErrorReply(int code) {
  return "-ERR " + WinsockErrorText(code) + " (Winsock error #" + std::to_string(code) + ")";
}

}  // namespace mobrelle
