#pragma once
// The nonexistent-sender check: is there a mail exchanger for the sender's domain, and does it
// accept the sender's address? The answer is remembered for the rest of the run.
//
// A check blocks its caller while the user interface keeps running: the DNS lookup and the SMTP
// probe wait in local event loops. Texts are Windows-1252.

#include <memory>
#include <set>
#include <string>

#include "filters/sender_check/sender_check_rules.h"

namespace mobrelle {

class DnsMxQuery;
class RejectAlert;
class StatusLog;

class SenderCheck {
 public:
  // `alert` (may be null) gets its frame text when a check finds the sender nonexistent.
  SenderCheck(StatusLog& log, RejectAlert* alert);
  ~SenderCheck();
  SenderCheck(const SenderCheck&) = delete;
  SenderCheck& operator=(const SenderCheck&) = delete;

  // The DNS server to ask (the "IPDns" setting). Empty: the system's, found at the first check and
  // kept for the run.
  void SetDnsServer(const std::string& ipv4) { dnsServer_ = ipv4; }
  const std::string& DnsServer() const { return dnsServer_; }

  // Where the check looks and how long it waits; the defaults are those of real use.
  void SetDnsPort(const std::string& port) { dnsPort_ = port; }          // "53"
  void SetProbePort(const std::string& port) { probePort_ = port; }      // "25"
  void SetResolvConfPath(const std::string& path) { resolvConf_ = path; }  // "/etc/resolv.conf"
  void SetDnsWaitMs(int ms) { dnsWaitMs_ = ms; }                         // 6000

  // Checks `sender` (the message's sender text, lower case) and returns the result, one of
  // kSenderExists, kSenderNotVerified, kSenderUnknown, kSenderNoExchanger. Shows its progress and
  // outcome in status bar panel 1, except when no DNS server is known at all.
  int CheckSenderExists(const std::string& sender);

  // Whether the last result rejects under `conditions` ("ConditionsRejetInex").
  bool Rejects(int conditions) const { return SenderCheckRejects(result_, conditions); }

  int SenderCheckResult() const { return result_; }
  void ResetResult() { result_ = kSenderNotVerified; }
  // The exchanger probed by the last lookup that found one; empty before.
  const std::string& MxHost() const { return mxHost_; }

  // Senders found to exist and not to exist; never emptied during a run.
  const std::set<std::string>& GoodSenders() const { return good_; }
  const std::set<std::string>& BadSenders() const { return bad_; }

 private:
  StatusLog& log_;
  RejectAlert* alert_;
  std::unique_ptr<DnsMxQuery> query_;
  std::string dnsServer_, dnsPort_ = "53", probePort_ = "25", resolvConf_ = "/etc/resolv.conf";
  int dnsWaitMs_ = 6000;
  int lookups_ = 0;  // DNS waits in progress (checks nest inside each other's waits)
  int result_ = kSenderNotVerified;
  std::string mxHost_;
  std::set<std::string> good_, bad_;
  // Expires with the object, so a check whose wait outlived it touches nothing afterwards.
  std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace mobrelle
