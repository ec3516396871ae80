#pragma once
// A DNS server (dnsmasq) on loopback that answers from the records given and nothing else: names
// without any record get NXDOMAIN, a name with only an A record an empty MX answer. Nothing is
// forwarded. UDP and TCP on Port().

#include <string>

#include "tests/support/servers/loopback_server.h"

namespace mobrelle::test {

class DnsServer : public LoopbackServer {
 public:
  DnsServer();

  // Before Start.
  void AddMx(const std::string& domain, const std::string& exchange, int preference);
  void AddA(const std::string& name, const std::string& ipv4);

  [[nodiscard]] bool Start();

  // One line per query received ("query[MX] example.test from 127.0.0.1" among others).
  std::string LogPath() const { return dir_.File("dnsmasq.log"); }

 private:
  std::vector<std::string> records_;  // options of the start script
};

}  // namespace mobrelle::test
