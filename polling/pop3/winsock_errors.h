#pragma once
// The reply a failed name lookup or connection leaves in the POP3 client.

#include <string>

#include "app/core/winsock_errors.h"

namespace mobrelle {

// "-ERR " + text + " (Winsock error #" + code + ")".
std::string SocketErrorReply(int code);

}  // namespace mobrelle
