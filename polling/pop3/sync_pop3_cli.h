#pragma once
// The POP3 client of one mailbox (RFC 1939 over TCP). Every operation is a blocking call that returns
// true or false; while it waits, the event loop keeps running, so timers, commands and other
// mailboxes' sessions go on meanwhile. The caller opens a session (OpenSync, or ConnectSync then
// APopSync), runs transaction calls, and ends with QuitSync; errors are read from ErrorMessage().

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "app/net/blocking_wait.h"
#include "polling/pop3/pop3_line_buffer.h"

class QTcpSocket;

namespace mobrelle {

// Position in the POP3 dialogue.
enum TPop3ProtocolState { pop3Disconnected, pop3WaitingUser, pop3WaitingPass, pop3Transaction };

// What the client is doing right now.
enum TPop3State {
  pop3Ready,
  pop3DnsLookup,
  pop3Connecting,
  pop3Connected,
  pop3InternalReady,
  pop3WaitingBanner,
  pop3WaitingResponse,
  pop3Abort,
};

// The operation in progress.
enum TPop3Request {
  pop3Connect, pop3User, pop3Pass, pop3RPop, pop3Quit, pop3Stat, pop3List, pop3Retr, pop3Top,
  pop3Dele, pop3Noop, pop3Last, pop3RSet, pop3Uidl, pop3APop, pop3Open, pop3Custom,
};

// Raised inside the client when an operation cannot start; the blocking calls turn it into false.
class Pop3Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TSyncPop3Cli : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDefaultPort = 110;   // the POP3 service
  static constexpr int kDefaultTimeout = 15;  // seconds

  explicit TSyncPop3Cli(QObject* parent = nullptr);
  ~TSyncPop3Cli() override;

  // Windows-1252 texts, as everywhere in the engine.
  std::string Host;  // a name or a dotted IPv4 address
  int Port = kDefaultPort;
  std::string LocalAddr = "0.0.0.0";  // dotted IPv4 address the connection leaves from; 0.0.0.0: any
  std::string UserName;  // sent trimmed of surrounding blanks
  std::string PassWord;  // in clear; sent trimmed (APOP hashes it as it is)
  // Seconds of silence a call accepts from the server before it gives up; 0 or less: no limit.
  int Timeout = kDefaultTimeout;
  // Message number of LIST, UIDL, TOP, RETR and DELE (also set from LIST and UIDL replies), and the
  // body line count of TOP.
  int MsgNum = 0;
  int MsgLines = 0;

  // Called once per line of a TOP or RETR reply (the line is in LastResponse()), before the first
  // line and when the reply is complete. A handler may abort or even delete the client.
  std::function<void(TSyncPop3Cli*)> OnMessageBegin;
  std::function<void(TSyncPop3Cli*)> OnMessageLine;
  std::function<void(TSyncPop3Cli*)> OnMessageEnd;
  // Trace of every line sent ("> ...", password and digest masked) and received ("< ...").
  std::function<void(TSyncPop3Cli*, const std::string&)> OnDisplay;

  // The blocking calls.
  bool ConnectSync();
  bool OpenSync();  // connect, USER, PASS
  bool APopSync();
  bool StatSync();
  bool ListSync();
  bool UidlSync();
  bool TopSync();
  bool RetrSync();
  bool DeleSync();
  bool QuitSync();   // completes when the server has closed the connection
  bool AbortSync();  // closes at once

  // True while a session is open: a mailbox whose client is connected is being checked.
  bool Connected() const { return connected_; }
  // Closes the connection at once, whatever is in progress.
  void Abort();

  int MsgCount() const { return msgCount_; }
  int64_t MsgSize() const { return msgSize_; }
  const std::string& MsgUidl() const { return msgUidl_; }
  const std::string& LastResponse() const { return lastResponse_; }
  // The first error reply since the last connect, or a local error text that replaced it.
  const std::string& ErrorMessage() const { return errorMessage_; }
  TPop3ProtocolState ProtocolState() const { return protocolState_; }
  TPop3State State() const { return state_; }
  // 0 after a '+' reply, 500 after any other, 426 after a time-out.
  int StatusCode() const { return statusCode_; }

 protected:
  bool connected_ = false;

 private:
  // Runs one operation: starts it, then waits for its end. Exceptions become false.
  bool Synchronize(const std::function<void()>& start);
  bool WaitUntilReady();
  // Reads a reply that is already arriving straight from the socket; false when it is not there
  // within a moment, or must go through the event loop (a close, an error, data the socket holds).
  bool ReadReplyAtOnce();
  void PrepareQuickReads();
  // Hands out the complete lines of the buffer; false when a handler ended the session or deleted us.
  bool HandleBufferedLines();

  void StartConnect();
  void StartCommand(TPop3Request rq, const std::string& command, TPop3ProtocolState next);
  void CheckProtocolState(bool allowed, const std::string& word);
  void CheckReady(bool needConnection) const;
  void SendLine(const std::string& line);

  // The one place where the connection is opened (TLS would start here).
  void OpenConnection(const QString& address);
  void ReleaseSocket();

  void OnLookupDone(int lookupId, bool found, const QString& address);
  void OnSocketConnected();
  void OnSocketError();
  void OnReadyRead();
  void OnSocketClosed();
  void HandleLine(const std::string& line);
  void HandleReply(const std::string& line);
  void HandleMessageLine(const std::string& line);
  void Complete(int result);
  void ConnectionClosed();

  QPointer<QTcpSocket> socket_;
  BlockingWait wait_;
  Pop3LineBuffer buffer_;

  TPop3State state_ = pop3Ready;
  TPop3ProtocolState protocolState_ = pop3Disconnected;
  TPop3ProtocolState nextProtocolState_ = pop3Disconnected;
  TPop3Request request_ = pop3Connect;
  bool requestPending_ = false;
  bool multiLine_ = false;
  int requestResult_ = 0;
  int statusCode_ = 0;
  int lookupId_ = -1;
  bool quickReads_ = false;  // the connection's descriptor reads with a short limit
  std::string timestamp_;

  int msgCount_ = 0;
  int64_t msgSize_ = 0;
  std::string msgUidl_;
  std::string lastResponse_;
  std::string errorMessage_;
};

// The APOP digest: MD5 of the greeting's timestamp followed by the password, in lower-case hex.
std::string ApopDigest(const std::string& timestamp, const std::string& password);

}  // namespace mobrelle
