#pragma once
// A real receive-only SMTP server (Postfix) on loopback. RCPT TO a known mailbox gets
// "250 2.1.5 Ok", another address of its domains "550 5.1.1 <...>: Recipient address rejected: User
// unknown in virtual mailbox table", an address elsewhere "554 5.7.1 <...>: Relay access denied".
// Nothing ever leaves it. Needs root of the machine (Postfix switches to its own users).

#include <string>
#include <vector>

#include "tests/support/servers/loopback_server.h"

namespace mobrelle::test {

class PostfixServer : public LoopbackServer {
 public:
  PostfixServer();

  // Before Start. Without AddDomain the domain is example.test.
  void AddDomain(const std::string& domain) { domains_.push_back(domain); }
  void AddMailbox(const std::string& address) { mailboxes_.push_back(address); }

  [[nodiscard]] bool Start();

  // Messages delivered to a mailbox so far, oldest first (delivery follows the 250 to "." closely
  // but not at once: poll for them).
  std::vector<std::string> Delivered(const std::string& address) const;
  std::string LogPath() const { return dir_.File("log/postfix.log"); }

 private:
  std::vector<std::string> domains_, mailboxes_;
};

}  // namespace mobrelle::test
