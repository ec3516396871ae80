#pragma once
// THttpCli: one document by HTTP/1.0 GET, redirections followed, body handed piece by piece to the
// caller's stream. Get() blocks while the event loop keeps running.

#include <QIODevice>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <functional>
#include <stdexcept>
#include <string>

#include "online/http/http_header.h"

namespace mobrelle {

class BlockingWait;

class EHttpException : public std::runtime_error {
 public:
  EHttpException(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
  int ErrorCode() const { return code_; }

 private:
  int code_;
};

enum class THttpState {
  httpReady, httpNotConnected, httpConnected, httpDnsLookup, httpDnsLookupDone, httpWaitingHeader,
  httpWaitingBody, httpAborting
};

class THttpCli : public QObject {
  Q_OBJECT

 public:
  explicit THttpCli(QObject* owner = nullptr);
  ~THttpCli() override;

  std::string URL;
  std::string Agent = "Mozilla/3.0 (compatible)";
  std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  std::string LocalAddr = "0.0.0.0";
  std::string Proxy;
  int Timeout = 60;         // seconds of silence before a request gives up
  int MaxRedirects = 10;
  std::function<void(THttpCli&)> OnDocBegin, OnDocEnd;
  QIODevice* RcvdStream = nullptr;  // never owned

  void Get();

  THttpState State() const { return state_; }
  int StatusCode() const { return status_; }
  const std::string& ReasonPhrase() const { return reason_; }
  const std::string& DocName() const { return docName_; }
  long long ContentLength() const { return header_.contentLength; }
  const std::string& ContentType() const { return header_.contentType; }
  const std::vector<std::string>& RcvdHeader() const { return header_.lines; }
  const std::string& Location() const { return location_; }

 private:
  void OpenConnection();
  void OnConnected();
  void OnReadyRead();
  void OnClosed();
  void OnError(QAbstractSocket::SocketError error);
  void Body(const char* data, size_t size);
  void Finish(int status, const std::string& reason);
  void EndDocument();
  void DropSocket();

  THttpState state_ = THttpState::httpReady;
  HttpTarget target_;
  std::string location_, docName_, reason_;
  int status_ = 0;
  int redirects_ = 0;
  int pieces_ = 0;
  HttpHeaderReader header_;
  QPointer<QTcpSocket> socket_;
  QPointer<BlockingWait> wait_;
};

}  // namespace mobrelle
