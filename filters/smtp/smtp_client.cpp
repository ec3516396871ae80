#include "filters/smtp/smtp_client.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <ctime>

#include "app/net/blocking_wait.h"
#include "app/net/socket_errors.h"

namespace mobrelle {

SmtpClient::SmtpClient(QObject* parent) : QObject(parent) {}
SmtpClient::~SmtpClient() { Abort(); }

void SmtpClient::Abort() {
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
  }
  if (wait_) wait_->Abort();
}

bool SmtpClient::Fail(int code, const std::string& text) {
  errorCode_ = code;
  errorMessage_ = text;
  return false;
}

std::string SmtpClient::HeloName() const {
  return SmtpOneLine(SignOn.empty() ? QHostInfo::localHostName().toStdString() : SignOn);
}

// The one place where the connection is made (TLS would start here).
bool SmtpClient::OpenConnection() {
  Abort();
  socket_ = new QTcpSocket(this);
  connect(socket_, &QTcpSocket::readyRead, this, &SmtpClient::OnReadyRead);
  connect(socket_, &QTcpSocket::errorOccurred, this, &SmtpClient::OnError);
  if (!LocalAddr.empty() && LocalAddr != "0.0.0.0") socket_->bind(QHostAddress(QString::fromStdString(LocalAddr)));
  bool ok = false;
  quint16 port = static_cast<quint16>(QString::fromStdString(Port).toUShort(&ok));
  if (!ok) port = 25;  // "smtp" or any service name
  socket_->connectToHost(QString::fromStdString(Host), port);
  return true;
}

void SmtpClient::OnReadyRead() {
  if (!socket_) return;
  const QByteArray bytes = socket_->readAll();
  reader_.Feed(bytes.constData(), static_cast<size_t>(bytes.size()));
  if (wait_) wait_->Done();
}

void SmtpClient::OnError(QAbstractSocket::SocketError error) {
  lost_ = true;
  socketError_ = WinsockErrorCode(error);
  if (wait_) wait_->Done();
}

// Waits for the next whole reply and judges its code.
bool SmtpClient::Await(std::initializer_list<int> accepted) {
  QPointer<SmtpClient> self(this);
  for (;;) {
    const auto status = reader_.Next();
    if (status == SmtpReplyReader::Status::TooLong) {
      Abort();
      return Fail(500, "500 Reply line too long");
    }
    if (status == SmtpReplyReader::Status::Reply) {
      lastResponse_ = reader_.LastLine();
      for (int c : accepted)
        if (c == reader_.Code()) return true;
      return Fail(reader_.Code(), lastResponse_);
    }
    if (lost_) {
      const int code = socketError_ ? socketError_ : 10054;
      lastResponse_ = "500 " + WinsockErrorText(code) + " (Winsock error #" + std::to_string(code) + ")";
      Abort();
      return Fail(500, lastResponse_);
    }
    if (QCoreApplication::closingDown()) {
      Abort();
      return Fail(426, "426 Timeout");
    }
    BlockingWait wait;
    wait_ = &wait;
    if (socket_) {
      connect(socket_, &QTcpSocket::bytesWritten, &wait, &BlockingWait::Rearm);
    }
    const auto r = wait.Wait(Timeout * 1000);
    if (!self) return false;
    wait_ = nullptr;
    if (r != BlockingWait::Result::Done) {
      Abort();
      return Fail(426, "426 Timeout");
    }
  }
}

bool SmtpClient::Command(const std::string& line, std::initializer_list<int> accepted) {
  if (!Connected()) {
    lastResponse_ = "500 Not connected";
    return Fail(500, lastResponse_);
  }
  const std::string wire = SmtpOneLine(line) + "\r\n";
  socket_->write(wire.data(), static_cast<qint64>(wire.size()));
  return Await(accepted);
}

bool SmtpClient::Connect() {
  errorCode_ = 0;
  errorMessage_.clear();
  lastResponse_.clear();
  reader_.Clear();
  lost_ = false;
  socketError_ = 0;
  OpenConnection();
  if (Await({220})) return true;
  Abort();
  return false;
}

bool SmtpClient::Helo() { return Command("HELO " + HeloName(), {250}); }
bool SmtpClient::Ehlo() { return Command("EHLO " + HeloName(), {250}); }
bool SmtpClient::MailFrom() { return Command(SmtpAddressCommand("MAIL FROM", FromAddr), {250}); }
bool SmtpClient::Rset() { return Command("RSET", {250}); }

bool SmtpClient::RcptTo() {
  if (RcptName.empty()) return Fail(500, "500 No recipient");
  for (const std::string& r : RcptName)
    if (!Command(SmtpAddressCommand("RCPT TO", r), {250, 251})) return false;
  return true;
}

bool SmtpClient::Quit() {
  if (!Connected()) return true;
  const bool ok = Command("QUIT", {221});
  Abort();
  return ok;
}

bool SmtpClient::Open() { return Connect() && Helo(); }

bool SmtpClient::Mail() {
  if (!MailFrom() || !RcptTo() || !Command("DATA", {354})) return false;
  std::string data;
  for (const std::string& line : SmtpDataLines(Message, std::time(nullptr))) data += line + "\r\n";
  socket_->write(data.data(), static_cast<qint64>(data.size()));
  return Await({250});
}

}  // namespace mobrelle
