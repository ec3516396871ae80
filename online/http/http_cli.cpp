#include "online/http/http_cli.h"

#include <QHostAddress>

#include "app/net/blocking_wait.h"
#include "app/net/socket_errors.h"

namespace mobrelle {

THttpCli::THttpCli(QObject* owner) : QObject(owner) {}
THttpCli::~THttpCli() {
  DropSocket();
  if (wait_) wait_->Abort();
}

void THttpCli::DropSocket() {
  if (!socket_) return;
  socket_->disconnect(this);
  socket_->abort();
  socket_->deleteLater();
  socket_ = nullptr;
}

void THttpCli::Get() {
  if (state_ != THttpState::httpReady) throw EHttpException("HTTP component is busy", 1);
  state_ = THttpState::httpNotConnected;
  header_ = HttpHeaderReader{};
  status_ = 0;
  reason_.clear();
  pieces_ = 0;
  redirects_ = 0;
  location_ = URL;
  target_ = SplitHttpUrl(URL);
  docName_ = HttpDocumentName(target_.path);

  QPointer<THttpCli> self(this);
  BlockingWait wait;
  wait_ = &wait;
  OpenConnection();
  const auto r = state_ == THttpState::httpReady ? BlockingWait::Result::Done : wait.Wait(Timeout * 1000);
  if (!self) return;
  wait_ = nullptr;
  if (r == BlockingWait::Result::TimedOut) {
    DropSocket();
    EndDocument();
    status_ = 404;
    reason_ = "timeout: no answer within " + std::to_string(Timeout) + " seconds";
  }
  state_ = THttpState::httpReady;
  if (status_ >= 400) throw EHttpException(reason_, status_);
}

// The one place where the connection is made (TLS would start here).
void THttpCli::OpenConnection() {
  DropSocket();
  state_ = THttpState::httpDnsLookup;
  socket_ = new QTcpSocket(this);
  connect(socket_, &QTcpSocket::connected, this, &THttpCli::OnConnected);
  connect(socket_, &QTcpSocket::readyRead, this, &THttpCli::OnReadyRead);
  connect(socket_, &QTcpSocket::disconnected, this, &THttpCli::OnClosed);
  connect(socket_, &QTcpSocket::errorOccurred, this, &THttpCli::OnError);
  connect(socket_, &QTcpSocket::stateChanged, this, [this](QAbstractSocket::SocketState s) {
    if (s == QAbstractSocket::ConnectingState) state_ = THttpState::httpDnsLookupDone;
  });
  if (!LocalAddr.empty() && LocalAddr != "0.0.0.0" &&
      !socket_->bind(QHostAddress(QString::fromStdString(LocalAddr)))) {
    const int code = WinsockErrorCode(socket_->error());
    Finish(404, "can't connect: " + WinsockErrorText(code) + " (Error #" + std::to_string(code) + ")");
    return;
  }
  bool ok = false;
  const quint16 port = QString::fromStdString(target_.port).toUShort(&ok);
  socket_->connectToHost(QString::fromStdString(target_.host), ok ? port : 80);
}

void THttpCli::OnConnected() {
  if (wait_) wait_->Rearm();
  state_ = THttpState::httpConnected;
  state_ = THttpState::httpWaitingHeader;
  const std::string req = HttpRequest(target_, Accept, Agent);
  socket_->write(req.data(), static_cast<qint64>(req.size()));
}

void THttpCli::OnReadyRead() {
  if (!socket_) return;
  if (wait_) wait_->Rearm();
  QPointer<THttpCli> self(this);
  while (self && socket_ && socket_->bytesAvailable() > 0) {
    const QByteArray bytes = socket_->read(kHttpLineBuffer);
    if (state_ == THttpState::httpWaitingBody) {
      Body(bytes.constData(), static_cast<size_t>(bytes.size()));
      continue;
    }
    if (state_ != THttpState::httpWaitingHeader) return;
    const auto r = header_.Feed(bytes.constData(), static_cast<size_t>(bytes.size()));
    status_ = header_.status;
    reason_ = header_.reason;
    switch (r) {
      case HttpHeaderReader::Result::NeedMore: break;
      case HttpHeaderReader::Result::Error: DropSocket(); Finish(status_, reason_); return;
      case HttpHeaderReader::Result::NoDocument: DropSocket(); Finish(status_, reason_); return;
      case HttpHeaderReader::Result::Redirect: {
        if (++redirects_ > MaxRedirects) {
          DropSocket();
          Finish(404, "too many redirections");
          return;
        }
        location_ = HttpRedirect(target_, header_.location);
        docName_ = HttpDocumentName(target_.path);
        header_ = HttpHeaderReader{};
        status_ = 0;
        OpenConnection();
        return;
      }
      case HttpHeaderReader::Result::Body: {
        docName_ = HttpHtmlDocumentName(docName_, header_.contentType);
        state_ = THttpState::httpWaitingBody;
        const std::string rest = header_.Rest();
        if (!rest.empty()) Body(rest.data(), rest.size());
        if (self && status_ >= 400) {
          DropSocket();
          EndDocument();
          Finish(status_, reason_);
          return;
        }
        break;
      }
    }
  }
}

void THttpCli::Body(const char* data, size_t size) {
  try {
    if (++pieces_ == 1 && OnDocBegin) OnDocBegin(*this);
    if (RcvdStream) RcvdStream->write(data, static_cast<qint64>(size));
  } catch (const std::exception& e) {
    // An error of the caller's document handling ends the request, never leaves it hanging.
    DropSocket();
    EndDocument();
    Finish(404, std::string("document error: ") + e.what());
  }
}

void THttpCli::EndDocument() {
  if (pieces_ > 0 && OnDocEnd) {
    pieces_ = 0;
    try {
      OnDocEnd(*this);
    } catch (const std::exception& e) {
      status_ = 404;
      reason_ = std::string("document error: ") + e.what();
    }
  }
  pieces_ = 0;
}

void THttpCli::OnClosed() {
  if (state_ == THttpState::httpReady || !socket_) return;
  if (socket_->bytesAvailable() > 0) OnReadyRead();
  if (!socket_ || state_ == THttpState::httpReady) return;
  if (state_ == THttpState::httpWaitingHeader) {
    const auto r = header_.Closed();
    status_ = header_.status;
    reason_ = header_.reason;
    if (r == HttpHeaderReader::Result::Redirect) {
      if (++redirects_ > MaxRedirects) return Finish(404, "too many redirections");
      location_ = HttpRedirect(target_, header_.location);
      docName_ = HttpDocumentName(target_.path);
      header_ = HttpHeaderReader{};
      status_ = 0;
      OpenConnection();
      return;
    }
    if (r == HttpHeaderReader::Result::Body) {
      state_ = THttpState::httpWaitingBody;
      docName_ = HttpHtmlDocumentName(docName_, header_.contentType);
      const std::string rest = header_.Rest();
      Body(rest.data(), rest.size());
      if (state_ == THttpState::httpReady) return;
    }
  }
  DropSocket();
  EndDocument();
  Finish(status_, reason_);
}

void THttpCli::OnError(QAbstractSocket::SocketError error) {
  if (error == QAbstractSocket::RemoteHostClosedError) return;  // disconnected() finishes
  if (state_ == THttpState::httpReady) return;
  const int code = WinsockErrorCode(error);
  const bool lookup = error == QAbstractSocket::HostNotFoundError;
  const bool body = state_ == THttpState::httpWaitingBody;
  DropSocket();
  EndDocument();
  if (body) return Finish(status_, reason_);  // a short body is what arrived
  if (lookup) return Finish(404, "can't resolve hostname to IP address");
  Finish(404, WinsockErrorText(code) + " (Error #" + std::to_string(code) + ")");
}

void THttpCli::Finish(int status, const std::string& reason) {
  status_ = status;
  reason_ = reason;
  state_ = THttpState::httpReady;
  if (wait_) wait_->Done();
}

}  // namespace mobrelle
