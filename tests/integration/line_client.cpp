#include "tests/integration/line_client.h"

#include <QDeadlineTimer>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace mobrelle::test {

bool LineClient::Connect(const std::string& host, uint16_t port) {
  socket_.connectToHost(QString::fromStdString(host), port);
  return socket_.waitForConnected(kWaitMs);
}

void LineClient::UseCertificate(const std::string& certificatePath) {
  QSslConfiguration config = socket_.sslConfiguration();
  config.setCaCertificates(QSslCertificate::fromPath(QString::fromStdString(certificatePath)));
  config.setPeerVerifyMode(QSslSocket::VerifyPeer);
  socket_.setSslConfiguration(config);
  socket_.setPeerVerifyName("localhost");
}

bool LineClient::ConnectTls(const std::string& host, uint16_t port, const std::string& certificatePath) {
  UseCertificate(certificatePath);
  socket_.connectToHostEncrypted(QString::fromStdString(host), port, "localhost");
  return socket_.waitForEncrypted(kWaitMs);
}

bool LineClient::StartTls(const std::string& certificatePath) {
  UseCertificate(certificatePath);
  socket_.startClientEncryption();
  return socket_.waitForEncrypted(kWaitMs);
}

void LineClient::Send(const std::string& line) { SendRaw(line + "\r\n"); }

void LineClient::SendRaw(const std::string& bytes) {
  socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  socket_.waitForBytesWritten(kWaitMs);
}

bool LineClient::Fill(int waitMs) {
  if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(waitMs)) return false;
  const QByteArray got = socket_.readAll();
  buffer_.append(got.constData(), static_cast<size_t>(got.size()));
  return true;
}

std::optional<std::string> LineClient::ReadLine(int waitMs) {
  QDeadlineTimer deadline(waitMs);
  size_t searched = 0;
  for (;;) {
    const size_t end = buffer_.find("\r\n", searched > 0 ? searched - 1 : 0);
    if (end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 2);
      return line;
    }
    searched = buffer_.size();
    if (deadline.hasExpired() || !Fill(static_cast<int>(deadline.remainingTime()))) return std::nullopt;
  }
}

std::optional<std::string> LineClient::Command(const std::string& line, int waitMs) {
  Send(line);
  return ReadLine(waitMs);
}

std::optional<std::vector<std::string>> LineClient::ReadDotted(int waitMs) {
  std::vector<std::string> lines;
  for (int n = 0; n < 1000000; ++n) {
    std::optional<std::string> line = ReadLine(waitMs);
    if (!line) return std::nullopt;
    if (*line == ".") return lines;
    lines.push_back(*line);
  }
  return std::nullopt;
}

std::string LineClient::ReadUntilClosed(int waitMs) {
  QDeadlineTimer deadline(waitMs);
  while (!deadline.hasExpired() && Fill(static_cast<int>(deadline.remainingTime()))) {
  }
  std::string all;
  all.swap(buffer_);
  return all;
}

bool LineClient::ClosedWithin(int waitMs) {
  QDeadlineTimer deadline(waitMs);
  while (!deadline.hasExpired()) {
    if (socket_.state() == QAbstractSocket::UnconnectedState) return true;
    if (!Fill(static_cast<int>(deadline.remainingTime())))
      return socket_.state() == QAbstractSocket::UnconnectedState;
  }
  return false;
}

}  // namespace mobrelle::test
