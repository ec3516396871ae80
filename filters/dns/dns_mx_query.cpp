#include "filters/dns/dns_mx_query.h"

#include <QHostAddress>
#include <QNetworkDatagram>

#include "app/net/blocking_wait.h"
#include "app/net/socket_errors.h"

namespace mobrelle {

DnsMxQuery::DnsMxQuery(QObject* parent) : QObject(parent) {}

uint16_t DnsMxQuery::MxLookup(const std::string& domain) {
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
  }
  response_ = DnsResponse{};
  ++id_;  // wraps by itself
  socket_ = new QUdpSocket(this);
  connect(socket_, &QUdpSocket::readyRead, this, &DnsMxQuery::ReadDatagrams);
  connect(socket_, &QUdpSocket::errorOccurred, this, &DnsMxQuery::SocketError);
  const std::string query = EncodeMxQuery(id_, domain);
  QHostAddress server(QString::fromStdString(addr_));
  bool ok = false;
  quint16 port = QString::fromStdString(port_).toUShort(&ok);
  if (!ok) port = 53;  // "domain" or any other service name
  if (socket_->writeDatagram(query.data(), static_cast<qint64>(query.size()), server, port) < 0) {
    // Reported from the event loop, like any other socket error, so the caller's wait sees it.
    const int code = WinsockErrorCode(socket_->error());
    QMetaObject::invokeMethod(this, [this, code, id = id_] { if (id == id_) Raise(code); }, Qt::QueuedConnection);
  }
  return id_;
}

void DnsMxQuery::ReadDatagrams() {
  QPointer<QUdpSocket> socket = socket_;
  while (socket && socket->hasPendingDatagrams()) {
    // Answers longer than the classic 512 bytes are read cut, as they always were.
    QNetworkDatagram d = socket->receiveDatagram(512);
    const QByteArray bytes = d.data();
    // Only the server asked may answer, and only to the current query.
    if (!d.senderAddress().isEqual(QHostAddress(QString::fromStdString(addr_)), QHostAddress::ConvertV4MappedToIPv4))
      continue;
    if (bytes.size() >= 2 && ((static_cast<uint8_t>(bytes[0]) << 8) | static_cast<uint8_t>(bytes[1])) != id_)
      continue;
    DnsResponse r;
    if (!DecodeDnsResponse(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()), r))
      continue;
    response_ = std::move(r);
    Raise(0);
    return;
  }
}

void DnsMxQuery::SocketError(QAbstractSocket::SocketError error) { Raise(WinsockErrorCode(error)); }

void DnsMxQuery::Raise(int error) {
  if (OnRequestDone) OnRequestDone(error);
}

int DnsMxQuery::Lookup(const std::string& domain, int timeoutMs) {
  QPointer<DnsMxQuery> self(this);
  BlockingWait wait;
  int result = -1;
  auto previous = OnRequestDone;
  OnRequestDone = [&](int error) {
    result = error;
    wait.Done();
  };
  MxLookup(domain);
  const auto r = wait.Wait(timeoutMs);
  if (!self) return -1;
  OnRequestDone = previous;
  return r == BlockingWait::Result::Done ? result : -1;
}

int DnsMxQuery::AnswerTag(int i) const {
  return i >= 0 && i < AnswerCount() ? response_.answers[static_cast<size_t>(i)].tag : -1;
}

uint16_t DnsMxQuery::MxPreference(int tag) const {
  return tag >= 0 && static_cast<size_t>(tag) < response_.mx.size() ? response_.mx[static_cast<size_t>(tag)].preference : 0;
}

std::string DnsMxQuery::MxExchange(int tag) const {
  return tag >= 0 && static_cast<size_t>(tag) < response_.mx.size() ? response_.mx[static_cast<size_t>(tag)].exchange : "";
}

}  // namespace mobrelle
