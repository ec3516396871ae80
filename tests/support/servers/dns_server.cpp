#include "tests/support/servers/dns_server.h"

namespace mobrelle::test {

DnsServer::DnsServer() : LoopbackServer("dnsmasq DNS server") { log_ = dir_.File("dnsmasq.out"); }

void DnsServer::AddMx(const std::string& domain, const std::string& exchange, int preference) {
  records_.insert(records_.end(), {"-x", domain + "," + exchange + "," + std::to_string(preference)});
}

void DnsServer::AddA(const std::string& name, const std::string& ipv4) {
  records_.insert(records_.end(), {"-r", name + "," + ipv4});
}

bool DnsServer::Start() {
  if (!Need("/usr/sbin/dnsmasq", "dnsmasq-base") || !ChoosePort(Transport::kUdp)) return false;
  std::vector<std::string> args = {"-d", Dir(), "-a", host_, "-p", std::to_string(port_)};
  args.insert(args.end(), records_.begin(), records_.end());
  if (!RunStartScript("dnsmasq/run-dnsmasq.sh", args)) return false;
  return WaitListening({{port_, Transport::kUdp}, {port_, Transport::kTcp}});
}

}  // namespace mobrelle::test
