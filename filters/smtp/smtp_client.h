#pragma once
// The SMTP client: one connection, blocking steps that keep the event loop running. Each step
// returns true on success; failures leave their details in LastResponse and ErrorMessage.

#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <string>
#include <vector>

#include "filters/smtp/smtp_reply.h"

namespace mobrelle {

class BlockingWait;

class SmtpClient : public QObject {
  Q_OBJECT

 public:
  explicit SmtpClient(QObject* parent = nullptr);
  ~SmtpClient() override;

  std::string Host, Port = "25", LocalAddr = "0.0.0.0", SignOn, Username;
  std::string FromAddr;                 // envelope sender
  std::vector<std::string> RcptName;    // recipients
  SmtpMessage Message;                  // header From, Subject, charset, content type, body lines
  int Timeout = 15;                     // seconds per step

  const std::string& LastResponse() const { return lastResponse_; }
  int ErrorCode() const { return errorCode_; }
  const std::string& ErrorMessage() const { return errorMessage_; }
  bool Connected() const { return socket_ && socket_->state() == QAbstractSocket::ConnectedState; }

  bool Connect();
  bool Helo();
  bool Ehlo();
  bool MailFrom();
  bool RcptTo();
  bool Rset();
  bool Quit();
  bool Open();
  bool Mail();
  void Abort();

 private:
  bool OpenConnection();
  bool Command(const std::string& line, std::initializer_list<int> accepted);
  bool Await(std::initializer_list<int> accepted);
  bool Fail(int code, const std::string& text);
  std::string HeloName() const;
  void OnReadyRead();
  void OnError(QAbstractSocket::SocketError error);

  QPointer<QTcpSocket> socket_;
  QPointer<BlockingWait> wait_;
  SmtpReplyReader reader_;
  bool gotReply_ = false, lost_ = false, tooLong_ = false;
  int socketError_ = 0;
  std::string lastResponse_, errorMessage_;
  int errorCode_ = 0;
};

}  // namespace mobrelle
