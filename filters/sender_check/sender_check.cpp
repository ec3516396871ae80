#include "filters/sender_check/sender_check.h"

#include "app/core/status_log.h"
#include "filters/dns/dns_mx_query.h"
#include "filters/sender_check/dns_server_discovery.h"
#include "filters/smtp/smtp_client.h"
#include "filters/verdicts/verdict_ports.h"
#include "polling/headers/extract_address.h"

namespace mobrelle {

namespace {

constexpr int kProbeStepSeconds = 15;

// Asks the exchanger whether it would take mail for `address`, without sending any. Only a
// refusal with code 550 counts against the address; any other failure proves nothing.
int ProbeExchanger(const std::string& host, const std::string& port, const std::string& address,
                   const std::string& domain) {
  SmtpClient client;
  client.Host = host;
  client.Port = port;
  client.Timeout = kProbeStepSeconds;
  client.FromAddr = "Postmaster@" + domain;
  client.RcptName = {address};
  if (!client.Connect()) return kSenderNotVerified;
  int result = kSenderNotVerified;
  if (client.Ehlo() && client.MailFrom()) {
    if (client.RcptTo())
      result = kSenderExists;
    else if (client.LastResponse().compare(0, 3, "550") == 0)
      result = kSenderUnknown;
  }
  client.Rset();
  client.Quit();
  return result;
}

}  // namespace

SenderCheck::SenderCheck(StatusLog& log, RejectAlert* alert)
    : log_(log), alert_(alert), query_(std::make_unique<DnsMxQuery>()) {}

SenderCheck::~SenderCheck() = default;

int SenderCheck::CheckSenderExists(const std::string& sender) {
  const std::weak_ptr<char> alive = alive_;
  result_ = kSenderNotVerified;
  int result = kSenderNotVerified;
  if (bad_.count(sender)) {
    result = kSenderUnknown;
  } else if (good_.count(sender)) {
    result = kSenderExists;
  } else {
    if (dnsServer_.empty()) dnsServer_ = DiscoverDnsServer(resolvConf_);
    if (dnsServer_.empty()) return kSenderNotVerified;
    mxHost_.clear();
    const std::string address = ExtractAddress(sender);
    const size_t at = address.find('@');
    const std::string domain = at == std::string::npos ? std::string() : address.substr(at + 1);
    log_.ShowStatus(1, kTextTesting + sender);
    // Without a domain there is nothing to ask about (an empty name would ask about the root).
    if (!domain.empty()) {
      // Another mailbox's check can run inside this wait. It asks with a query object of its own:
      // sending on ours would abandon the query this check waits for.
      std::unique_ptr<DnsMxQuery> nested;
      DnsMxQuery* query = query_.get();
      if (lookups_ > 0) {
        nested = std::make_unique<DnsMxQuery>();
        query = nested.get();
      }
      query->SetAddr(dnsServer_);
      query->SetPort(dnsPort_);
      const uint16_t expected = static_cast<uint16_t>(query->QueryId() + 1);
      ++lookups_;
      const int error = query->Lookup(domain, dnsWaitMs_);
      if (alive.expired()) return kSenderNotVerified;
      --lookups_;
      MxChoice choice;
      // Only the answer to the query just sent counts.
      if (error == 0 && query->QueryId() == expected && query->Response().id == expected)
        choice = ChooseMailExchanger(query->Response());
      if (choice.kind == MxChoice::Kind::NoExchanger) {
        result = kSenderNoExchanger;
      } else if (choice.kind == MxChoice::Kind::Probe) {
        mxHost_ = choice.host;
        result = ProbeExchanger(choice.host, probePort_, address, domain);
        if (alive.expired()) return result;
        if (result == kSenderExists) good_.insert(sender);
        if (result == kSenderUnknown) bad_.insert(sender);
      }
    }
  }
  result_ = result;
  log_.ShowStatus(1, SenderCheckStatusText(result));
  if (result < 0 && alert_) alert_->SetFrameText(kTextNonexistentSenderFrame);
  return result;
}

}  // namespace mobrelle
