#pragma once
// Socket errors in the reason phrases of failed requests: a number and its short description.

#include <QAbstractSocket>
#include <string>

namespace mobrelle {

int HttpSocketErrorCode(QAbstractSocket::SocketError error);
std::string HttpSocketErrorText(int code);

}  // namespace mobrelle
