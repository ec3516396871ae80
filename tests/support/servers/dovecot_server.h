#pragma once
// A real POP3 server (Dovecot) on loopback: USER/PASS and APOP with plain passwords, STLS on Port()
// and implicit TLS on Pop3sPort(), with a self-signed certificate for localhost and 127.0.0.1.
// UIDL answers are the UID and the UID validity in hexadecimal, 8 digits each.

#include <string>
#include <vector>

#include "tests/support/servers/loopback_server.h"

namespace mobrelle::test {

class DovecotServer : public LoopbackServer {
 public:
  DovecotServer();

  // Before Start. The first account added is User()/Password().
  void AddUser(const std::string& user, const std::string& password);
  // The message becomes the account's next message: message numbers and UIDs follow the order of
  // adding. Before Start it is part of the initial maildir; after Start it arrives at once, as new mail.
  void AddMessage(const std::string& user, const std::string& bytes);
  void AddMessageFile(const std::string& user, const std::string& path);
  // Before Start: the POP3S port (0, the default, takes a free one).
  void SetPop3sPort(uint16_t port) { pop3sPort_ = port; }

  [[nodiscard]] bool Start();

  uint16_t Pop3sPort() const { return pop3sPort_; }
  const std::string& User() const;
  const std::string& Password() const;
  // The server's certificate (PEM), to be trusted by TLS clients.
  std::string CertificatePath() const { return dir_.File("ssl/cert.pem"); }
  std::string LogPath() const { return dir_.File("log/dovecot.log"); }
  std::string MaildirPath(const std::string& user) const { return dir_.File("home/" + user + "/Maildir"); }
  // Messages in the account's maildir right now (DELE takes effect at QUIT).
  size_t MessageCount(const std::string& user) const;

 private:
  struct Account {
    std::string user, password;
    std::vector<std::string> files;
  };
  Account* Find(const std::string& user);

  std::vector<Account> accounts_;
  uint16_t pop3sPort_ = 0;
  int messagesMade_ = 0;
  int delivered_ = 0;
};

}  // namespace mobrelle::test
