#pragma once
// Socket errors as the program reports them: the Windows Sockets numbers and short texts that the
// messages and the logs have always shown ("Host not found (Winsock error #11001)").

#include <QAbstractSocket>
#include <string>

namespace mobrelle {

// The Windows Sockets number standing for a Qt socket error.
int WinsockErrorCode(QAbstractSocket::SocketError error);
// Short description of a Windows Sockets number; "Not a WinSock error" for unknown ones.
std::string WinsockErrorText(int code);

}  // namespace mobrelle
