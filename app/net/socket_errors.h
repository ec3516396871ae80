#pragma once
// Qt's socket errors as the Windows Sockets numbers every client reports.

#include <QAbstractSocket>

#include "app/core/winsock_errors.h"

namespace mobrelle {

// -1 (shown as "Not a WinSock error") for errors that have no such number.
int WinsockErrorCode(QAbstractSocket::SocketError error);

}  // namespace mobrelle
