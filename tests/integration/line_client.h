#pragma once
// A bare line-oriented client over a raw socket, for checking the test servers themselves without
// any of our own protocol code. Every wait is bounded.

#include <QSslSocket>
#include <optional>
#include <string>
#include <vector>

namespace mobrelle::test {

class LineClient {
 public:
  static constexpr int kWaitMs = 5000;

  bool Connect(const std::string& host, uint16_t port);
  // Implicit TLS, trusting only the given certificate (PEM file) for the name localhost.
  bool ConnectTls(const std::string& host, uint16_t port, const std::string& certificatePath);
  // Switches the open connection to TLS (after STLS or STARTTLS was accepted).
  bool StartTls(const std::string& certificatePath);

  void Send(const std::string& line);  // CR LF added
  void SendRaw(const std::string& bytes);
  // The next line without its CR LF; nothing when the connection closed or waitMs passed first.
  std::optional<std::string> ReadLine(int waitMs = kWaitMs);
  std::optional<std::string> Command(const std::string& line, int waitMs = kWaitMs);
  // The lines of a multi-line reply up to its "." line, as sent (dot-stuffed); nothing when the
  // connection closed or went silent before the ".".
  std::optional<std::vector<std::string>> ReadDotted(int waitMs = kWaitMs);
  // Everything until the server closes the connection (bounded by waitMs).
  std::string ReadUntilClosed(int waitMs = kWaitMs);
  // Whether the server closed the connection within waitMs.
  bool ClosedWithin(int waitMs);

  bool Encrypted() const { return socket_.isEncrypted(); }
  std::string Error() const { return socket_.errorString().toStdString(); }

 private:
  void UseCertificate(const std::string& certificatePath);
  bool Fill(int waitMs);

  QSslSocket socket_;
  std::string buffer_;
};

}  // namespace mobrelle::test
