#include "polling/pop3/sync_pop3_cli.h"

#include <QAbstractSocket>
#include <QCryptographicHash>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>
#include <climits>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/time.h>
#include <sys/socket.h>
#endif

#include "polling/pop3/pop3_reply.h"
#include "app/net/socket_errors.h"
#include "polling/pop3/winsock_errors.h"

namespace mobrelle {
namespace {

constexpr const char* kDisconnected = "-ERR Disconneced unexpectedly";

// Blanks and control bytes at either end go, as for every name the user types.
std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

std::string ApopDigest(const std::string& timestamp, const std::string& password) {
  const QByteArray data = QByteArray::fromStdString(timestamp + password);
  return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toStdString();
}

TSyncPop3Cli::TSyncPop3Cli(QObject* parent) : QObject(parent) {}

TSyncPop3Cli::~TSyncPop3Cli() { Abort(); }

// ---- blocking calls ----

bool TSyncPop3Cli::Synchronize(const std::function<void()>& start) {
  try {
    start();
  } catch (const std::exception&) {
    return false;
  }
  return WaitUntilReady();
}

bool TSyncPop3Cli::WaitUntilReady() {
  QPointer<TSyncPop3Cli> self(this);
  const int ms = Timeout <= 0 ? 0 : (Timeout > INT_MAX / 1000 ? INT_MAX : Timeout * 1000);
  while (requestPending_) {
    const bool read = ReadReplyAtOnce();
    if (!self) return false;  // deleted by a handler of the reply
    if (read) continue;
    const BlockingWait::Result r = wait_.Wait(ms);
    if (!self) return false;  // deleted by a handler that ran inside the wait
    if (r == BlockingWait::Result::TimedOut && requestPending_) {
      requestPending_ = false;
      Abort();
      errorMessage_ = "426 Timeout";
      statusCode_ = 426;
      requestResult_ = 426;
      return false;
    }
  }
  return requestResult_ == 0;
}

bool TSyncPop3Cli::ConnectSync() {
  return Synchronize([this] { StartConnect(); });
}

bool TSyncPop3Cli::OpenSync() {
  if (connected_) return false;  // "pop3 component already connected"
  errorMessage_.clear();
  lastResponse_.clear();
  QPointer<TSyncPop3Cli> self(this);
  if (!ConnectSync() || !self) return false;
  const bool user = Synchronize([this] {
    CheckProtocolState(protocolState_ == pop3Disconnected || protocolState_ == pop3WaitingUser, "USER");
    StartCommand(pop3User, "USER " + Trimmed(UserName), pop3WaitingPass);
  });
  if (!user || !self) return false;
  return Synchronize([this] {
    CheckProtocolState(protocolState_ <= pop3WaitingPass, "PASS");
    StartCommand(pop3Pass, "PASS " + Trimmed(PassWord), pop3Transaction);
  });
}

bool TSyncPop3Cli::APopSync() {
  return Synchronize([this] {
    CheckProtocolState(protocolState_ == pop3WaitingUser, "APOP");
    if (timestamp_.empty()) {
      errorMessage_ = "-ERR Server do not support APOP (no timestamp)";
      throw Pop3Exception(errorMessage_);
    }
    StartCommand(pop3APop, "APOP " + Trimmed(UserName) + " " + ApopDigest(timestamp_, PassWord), pop3Transaction);
  });
}

bool TSyncPop3Cli::StatSync() {
  return Synchronize([this] {
    CheckProtocolState(protocolState_ == pop3Transaction, "STAT");
    StartCommand(pop3Stat, "STAT", pop3Transaction);
  });
}

namespace {
// Only the single-message forms exist here; the multi-line listing of every message is not read.
std::string WithNumber(const char* word, int n) {
  if (n <= 0) throw Pop3Exception(std::string("Invalid MsgNum for ") + word + " command");
  return std::string(word) + " " + std::to_string(n);
}
}  // namespace

bool TSyncPop3Cli::ListSync() {
  return Synchronize([this] {
    CheckProtocolState(protocolState_ == pop3Transaction, "LIST");
    StartCommand(pop3List, WithNumber("LIST", MsgNum), pop3Transaction);
  });
}

bool TSyncPop3Cli::UidlSync() {
  return Synchronize([this] {
    CheckProtocolState(protocolState_ == pop3Transaction, "UIDL");
    StartCommand(pop3Uidl, WithNumber("UIDL", MsgNum), pop3Transaction);
  });
}

bool TSyncPop3Cli::TopSync() {
  return Synchronize([this] {
    CheckProtocolState(protocolState_ == pop3Transaction, "TOP");
    if (MsgLines < 0) throw Pop3Exception("Invalid MsgLines for TOP command");
    StartCommand(pop3Top, WithNumber("TOP", MsgNum) + " " + std::to_string(MsgLines), pop3Transaction);
  });
}

bool TSyncPop3Cli::RetrSync() {
  return Synchronize([this] {
    CheckProtocolState(protocolState_ == pop3Transaction, "RETR");
    StartCommand(pop3Retr, WithNumber("RETR", MsgNum), pop3Transaction);
  });
}

bool TSyncPop3Cli::DeleSync() {
  return Synchronize([this] {
    CheckProtocolState(protocolState_ == pop3Transaction, "DELE");
    StartCommand(pop3Dele, WithNumber("DELE", MsgNum), pop3Transaction);
  });
}

bool TSyncPop3Cli::QuitSync() {
  return Synchronize([this] {
    CheckReady(false);
    if (!connected_ || !socket_) {
      // Nothing to end: done at once.
      connected_ = false;
      protocolState_ = pop3Disconnected;
      requestResult_ = 0;
      return;
    }
    StartCommand(pop3Quit, "QUIT", pop3Disconnected);
  });
}

bool TSyncPop3Cli::AbortSync() {
  Abort();
  return true;
}

// ---- starting operations ----

void TSyncPop3Cli::CheckProtocolState(bool allowed, const std::string& word) {
  if (allowed) return;
  errorMessage_ = "-ERR " + word + " command invalid now";
  throw Pop3Exception(errorMessage_);
}

void TSyncPop3Cli::CheckReady(bool needConnection) const {
  if (requestPending_ || (state_ != pop3Ready && state_ != pop3InternalReady))
    throw Pop3Exception("POP3 component not ready");
  if (needConnection && (!connected_ || !socket_)) throw Pop3Exception("POP3 component not connected");
}

void TSyncPop3Cli::StartConnect() {
  if (connected_) throw Pop3Exception("POP3 component already connected");
  CheckReady(false);
  errorMessage_.clear();
  buffer_.Clear();
  multiLine_ = false;
  requestResult_ = 0;
  if (Trimmed(Host).empty()) throw Pop3Exception("DNS lookup: invalid host name.");
  request_ = pop3Connect;
  requestPending_ = true;
  state_ = pop3DnsLookup;
  const QString host = QString::fromLatin1(Trimmed(Host));
  QHostAddress direct;
  if (direct.setAddress(host) && direct.protocol() == QAbstractSocket::IPv4Protocol) {
    OpenConnection(direct.toString());
    return;
  }
  lookupId_ = QHostInfo::lookupHost(host, this, [this](const QHostInfo& info) {
    QString address;
    for (const QHostAddress& a : info.addresses()) {
      if (a.protocol() == QAbstractSocket::IPv4Protocol) {
        address = a.toString();
        break;
      }
    }
    if (address.isEmpty() && !info.addresses().isEmpty()) address = info.addresses().first().toString();
    OnLookupDone(info.lookupId(), info.error() == QHostInfo::NoError && !address.isEmpty(), address);
  });
}

void TSyncPop3Cli::OnLookupDone(int lookupId, bool found, const QString& address) {
  if (lookupId != lookupId_ || state_ != pop3DnsLookup) return;
  lookupId_ = -1;
  if (found) {
    OpenConnection(address);
    return;
  }
  lastResponse_ = SocketErrorReply(kWsaHostNotFound);
  if (errorMessage_.empty()) errorMessage_ = lastResponse_;
  statusCode_ = 500;
  Complete(kWsaHostNotFound);
}

void TSyncPop3Cli::OpenConnection(const QString& address) {
  state_ = pop3Connecting;
  ReleaseSocket();
  auto* socket = new QTcpSocket(this);
  socket_ = socket;
  connect(socket, &QTcpSocket::connected, this, &TSyncPop3Cli::OnSocketConnected);
  connect(socket, &QTcpSocket::errorOccurred, this, &TSyncPop3Cli::OnSocketError);
  connect(socket, &QTcpSocket::readyRead, this, &TSyncPop3Cli::OnReadyRead);
  connect(socket, &QTcpSocket::disconnected, this, &TSyncPop3Cli::OnSocketClosed);
  const std::string local = Trimmed(LocalAddr);
  if (!local.empty() && local != "0.0.0.0") {
    QHostAddress from;
    if (!from.setAddress(QString::fromLatin1(local)) || !socket->bind(from)) {
      // Reported like a failed connection; the socket may already have said so itself.
      if (socket_ != socket) return;
      const int code =
          socket->error() == QAbstractSocket::UnknownSocketError ? 10049 : WinsockErrorCode(socket->error());
      ReleaseSocket();
      lastResponse_ = SocketErrorReply(code);
      if (errorMessage_.empty()) errorMessage_ = lastResponse_;
      statusCode_ = 500;
      Complete(code);
      return;
    }
  }
  socket->connectToHost(QHostAddress(address), static_cast<quint16>(Port));
}

void TSyncPop3Cli::ReleaseSocket() {
  if (!socket_) return;
  QTcpSocket* s = socket_;
  socket_ = nullptr;
  quickReads_ = false;
  s->disconnect(this);
  s->abort();
  // It may be in the middle of emitting a signal to us.
  s->deleteLater();
}

void TSyncPop3Cli::StartCommand(TPop3Request rq, const std::string& command, TPop3ProtocolState next) {
  CheckReady(rq != pop3Quit);
  request_ = rq;
  nextProtocolState_ = next;
  multiLine_ = false;
  requestPending_ = true;
  state_ = pop3WaitingResponse;
  SendLine(command);
}

void TSyncPop3Cli::SendLine(const std::string& line) {
  if (OnDisplay) OnDisplay(this, "> " + TraceOfCommand(line));
  if (!socket_) return;
  const std::string bytes = line + "\r\n";
  size_t sent = 0;
#ifdef Q_OS_UNIX
  // Straight to the system when nothing is queued before it: a write through the socket's buffer
  // switches its write notification on and off again, and each switch wakes the event loop, which a
  // client sending thousands of short commands pays on every one. Whatever the system does not take
  // goes through the buffer after it, in order; an error shows on the socket as usual.
  if (socket_->state() == QAbstractSocket::ConnectedState && socket_->bytesToWrite() == 0) {
    const ssize_t n = ::send(static_cast<int>(socket_->socketDescriptor()), bytes.data(), bytes.size(),
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) sent = static_cast<size_t>(n);
  }
#endif
  if (sent == bytes.size()) return;
  socket_->write(bytes.data() + sent, static_cast<qint64>(bytes.size() - sent));
  // Hand the command to the system now rather than on the next pass of the event loop: every
  // command waits for its reply, so that pass would only add a round of latency.
  socket_->flush();
}

// ---- socket events ----

void TSyncPop3Cli::OnSocketConnected() {
  connected_ = true;
  // One short command at a time, each waiting for its reply: no use holding it back.
  if (socket_) socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  PrepareQuickReads();
  state_ = pop3WaitingBanner;
}

void TSyncPop3Cli::OnSocketError() {
  if (!socket_ || state_ != pop3Connecting) return;  // errors of an open session end in a close
  const int code = WinsockErrorCode(socket_->error());
  ReleaseSocket();
  lastResponse_ = SocketErrorReply(code);
  if (errorMessage_.empty()) errorMessage_ = lastResponse_;
  statusCode_ = 500;
  Complete(code);
}

void TSyncPop3Cli::OnReadyRead() {
  // Held weakly: a handler may end the session, and a nested event loop may then delete the socket.
  const QPointer<QTcpSocket> s = socket_;
  while (s && socket_ == s && s->bytesAvailable() > 0) {
    char* dst = buffer_.WritePtr();
    const qint64 n = s->read(dst, static_cast<qint64>(buffer_.Room()));
    if (n <= 0) break;
    buffer_.Commit(static_cast<size_t>(n));
    if (!HandleBufferedLines()) return;
  }
}

bool TSyncPop3Cli::HandleBufferedLines() {
  QPointer<TSyncPop3Cli> self(this);
  const QTcpSocket* s = socket_;
  std::string line;
  bool first = true;
  while (buffer_.NextLine(line)) {
    // The silence limit starts again with every line; the lines of one read came at one moment,
    // so the clock is read once for them.
    if (first) wait_.Rearm();
    first = false;
    HandleLine(line);
    // A handler may have closed the session, started a new one, or deleted us.
    if (!self || socket_ != s) return false;
  }
  return true;
}

// A check makes thousands of calls whose replies come within tens of microseconds; a round of the
// event loop for each (its poll of every source, the socket's size query and read, the signal), or
// even a poll of the socket alone before reading it, costs about as much as the server's work. So a
// reply is first awaited in a read of the socket itself, which gives up after a millisecond, and only
// while the event loop has run in the last few milliseconds: timers, other mailboxes and the window
// are held up by no more than that, and a silent server is still awaited in the event loop, asleep.
namespace {
constexpr int64_t kEventsAtLeastEveryMs = 8;
constexpr int kSocketAloneUs = 1000;
}  // namespace

void TSyncPop3Cli::PrepareQuickReads() {
  quickReads_ = false;
#ifdef Q_OS_UNIX
  if (!socket_) return;
  const int fd = static_cast<int>(socket_->socketDescriptor());
  if (fd < 0) return;
  // Reads and writes that may block do so for a millisecond at most, so the socket's own reads
  // (which expect no wait) and writes stay short as well. The descriptor becomes blocking only once
  // both limits hold: a blocking read without its limit could wait on a silent server for ever.
  const timeval limit{0, kSocketAloneUs};
  if (::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) return;
  if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0) return;
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return;
  quickReads_ = true;
#endif
}

bool TSyncPop3Cli::ReadReplyAtOnce() {
#ifdef Q_OS_UNIX
  if (!quickReads_ || state_ != pop3WaitingResponse || !socket_ ||
      socket_->state() != QAbstractSocket::ConnectedState)
    return false;
  // What the socket already holds came first.
  if (socket_->bytesAvailable() > 0 || BlockingWait::SinceEventsMs() >= kEventsAtLeastEveryMs) return false;
  const int fd = static_cast<int>(socket_->socketDescriptor());
  if (fd < 0) return false;
  const ssize_t n = ::recv(fd, buffer_.WritePtr(), buffer_.Room(), 0);
  // Nothing within the limit, the end of the connection or an error: the event loop takes over, and
  // the socket reports the end there.
  if (n <= 0) return false;
  buffer_.Commit(static_cast<size_t>(n));
  HandleBufferedLines();
  return true;
#else
  return false;
#endif
}

void TSyncPop3Cli::OnSocketClosed() {
  QPointer<TSyncPop3Cli> self(this);
  OnReadyRead();  // what arrived before the close still counts
  if (!self) return;
  ConnectionClosed();
}

void TSyncPop3Cli::ConnectionClosed() {
  const bool inMessage = requestPending_ && multiLine_;
  ReleaseSocket();
  connected_ = false;
  protocolState_ = pop3Disconnected;
  if (!requestPending_) {
    state_ = pop3Ready;
    return;
  }
  if (request_ == pop3Quit) {
    Complete(0);
    return;
  }
  // A reply that never came, or a TOP/RETR without its final ".", is not a success.
  if (inMessage || errorMessage_.empty()) errorMessage_ = kDisconnected;
  Complete(500);
}

void TSyncPop3Cli::Abort() {
  state_ = pop3Abort;
  if (lookupId_ >= 0) {
    QHostInfo::abortHostLookup(lookupId_);
    lookupId_ = -1;
  }
  ReleaseSocket();
  connected_ = false;
  protocolState_ = pop3Disconnected;
  multiLine_ = false;
  if (requestPending_)
    Complete(500);
  else
    state_ = pop3Ready;
}

void TSyncPop3Cli::Complete(int result) {
  requestResult_ = result;
  state_ = pop3Ready;
  multiLine_ = false;
  if (!requestPending_) return;
  requestPending_ = false;
  if (wait_.Waiting()) wait_.Done();
}

// ---- replies ----

void TSyncPop3Cli::HandleLine(const std::string& line) {
  lastResponse_ = line;
  if (OnDisplay) {
    QPointer<TSyncPop3Cli> self(this);
    OnDisplay(this, "< " + line);
    if (!self) return;
  }
  switch (state_) {
    case pop3WaitingBanner:
      if (!IsPositiveReply(line)) {
        if (errorMessage_.empty()) errorMessage_ = line;
        statusCode_ = 500;
        ReleaseSocket();
        connected_ = false;
        protocolState_ = pop3Disconnected;
        Complete(500);
        return;
      }
      if (std::string ts = ApopTimestamp(line); !ts.empty()) timestamp_ = std::move(ts);
      statusCode_ = 0;
      protocolState_ = pop3WaitingUser;
      state_ = pop3Connected;
      Complete(0);
      return;
    case pop3WaitingResponse:
      if (multiLine_)
        HandleMessageLine(line);
      else
        HandleReply(line);
      return;
    default:
      return;  // a line nobody asked for
  }
}

void TSyncPop3Cli::HandleReply(const std::string& line) {
  const bool ok = IsPositiveReply(line);
  statusCode_ = ok ? 0 : 500;
  if (request_ == pop3Quit) {
    // Whatever the answer, the session ends when the server closes it.
    if (ok) protocolState_ = pop3Disconnected;
    return;
  }
  if (!ok) {
    if (errorMessage_.empty()) errorMessage_ = line;
    Complete(500);
    return;
  }
  protocolState_ = nextProtocolState_;
  switch (request_) {
    case pop3Stat: {
      const Pop3Numbers n = ExtractNumbers(line);
      msgCount_ = ClampToInt(n.first);
      msgSize_ = n.second;
      break;
    }
    case pop3List: {
      const Pop3Numbers n = ExtractNumbers(line);
      MsgNum = ClampToInt(n.first);
      msgSize_ = n.second;
      break;
    }
    case pop3Uidl: {
      Pop3Uid u = ExtractUid(line);
      MsgNum = ClampToInt(u.number);
      msgUidl_ = std::move(u.uid);
      break;
    }
    case pop3Top:
    case pop3Retr: {
      multiLine_ = true;
      if (OnMessageBegin) OnMessageBegin(this);
      return;
    }
    default:
      break;
  }
  Complete(0);
}

void TSyncPop3Cli::HandleMessageLine(const std::string& line) {
  std::string_view text = line;
  if (UnstuffLine(text) == MultiLineKind::End) {
    QPointer<TSyncPop3Cli> self(this);
    if (OnMessageEnd) OnMessageEnd(this);
    if (!self || !requestPending_) return;
    lastResponse_.clear();
    Complete(0);
    return;
  }
  // Assigned rather than moved in: both strings keep their room for the next line.
  lastResponse_.assign(text);
  if (OnMessageLine) OnMessageLine(this);
}

}  // namespace mobrelle
