#pragma once
// The MX lookup over UDP: one query to one server, completion through OnRequestDone. It has no
// time limit of its own; Lookup() is the blocking form with the caller's limit.

#include <QObject>
#include <QPointer>
#include <QUdpSocket>
#include <functional>
#include <string>

#include "filters/dns/dns_message.h"

namespace mobrelle {

class DnsMxQuery : public QObject {
  Q_OBJECT

 public:
  explicit DnsMxQuery(QObject* parent = nullptr);

  void SetAddr(const std::string& ipv4) { addr_ = ipv4; }
  void SetPort(const std::string& port) { port_ = port; }
  const std::string& Addr() const { return addr_; }

  // Raised with 0 when a response has been decoded, or with the socket error number.
  std::function<void(int error)> OnRequestDone;

  // Sends the query (abandoning any previous one) and returns its id at once.
  uint16_t MxLookup(const std::string& domain);
  // MxLookup, then waits until OnRequestDone or `timeoutMs`; returns the error (0 on an answer),
  // -1 when the limit passed.
  int Lookup(const std::string& domain, int timeoutMs);

  const DnsResponse& Response() const { return response_; }
  int AnswerCount() const { return static_cast<int>(response_.answers.size()); }
  int AnswerTag(int i) const;
  uint16_t MxPreference(int tag) const;
  std::string MxExchange(int tag) const;
  uint16_t QueryId() const { return id_; }

 private:
  void ReadDatagrams();
  void SocketError(QAbstractSocket::SocketError error);
  void Raise(int error);

  std::string addr_;
  std::string port_ = "53";
  uint16_t id_ = 0;
  QPointer<QUdpSocket> socket_;
  DnsResponse response_;
};

}  // namespace mobrelle
