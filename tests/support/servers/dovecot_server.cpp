#include "tests/support/servers/dovecot_server.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace mobrelle::test {
namespace fs = std::filesystem;

DovecotServer::DovecotServer() : LoopbackServer("Dovecot POP3 server") { log_ = LogPath(); }

void DovecotServer::AddUser(const std::string& user, const std::string& password) {
  accounts_.push_back({user, password, {}});
}

DovecotServer::Account* DovecotServer::Find(const std::string& user) {
  for (Account& a : accounts_)
    if (a.user == user) return &a;
  return nullptr;
}

const std::string& DovecotServer::User() const {
  static const std::string none;
  return accounts_.empty() ? none : accounts_.front().user;
}

const std::string& DovecotServer::Password() const {
  static const std::string none;
  return accounts_.empty() ? none : accounts_.front().password;
}

void DovecotServer::AddMessage(const std::string& user, const std::string& bytes) {
  if (!Running()) {
    fs::create_directories(dir_.File("messages"));
    std::string path = dir_.File("messages/" + std::to_string(++messagesMade_) + ".eml");
    WriteFileBytes(path, bytes);
    AddMessageFile(user, path);
    return;
  }
  // Delivered the maildir way: written in tmp/, then renamed into new/, under a name later than
  // every message of the start, so it takes the next UID.
  const std::string name = std::to_string(1500000000 + ++delivered_) + ".M1P1.mobrelle";
  const std::string tmp = MaildirPath(user) + "/tmp/" + name;
  WriteFileBytes(tmp, bytes);
  if (RunningAsRealRoot() && ::chown(tmp.c_str(), 65534, 65534) != 0) std::perror("chown");
  std::error_code ec;
  fs::rename(tmp, MaildirPath(user) + "/new/" + name, ec);
  if (ec) Fail("could not deliver a message to " + user + ": " + ec.message());
}

void DovecotServer::AddMessageFile(const std::string& user, const std::string& path) {
  if (Running()) {
    AddMessage(user, ReadFileBytes(path));
    return;
  }
  if (Account* a = Find(user)) {
    a->files.push_back(path);
  } else {
    Fail("message for " + user + ", who has no account (AddUser first)");
  }
}

bool DovecotServer::Start() {
  if (!Need("/usr/sbin/dovecot", "dovecot-core") || !Need("/usr/lib/dovecot/pop3", "dovecot-pop3d") ||
      !Need("/usr/bin/openssl", "openssl"))
    return false;
  if (accounts_.empty()) return Fail("no account (AddUser before Start)");
  if (!ChoosePort()) return false;
  if (pop3sPort_ == 0) {
    // Two free ports that differ: the second search could give the first one back.
    for (int i = 0; i < 20 && (pop3sPort_ == 0 || pop3sPort_ == port_); ++i) pop3sPort_ = FreePort(host_);
    if (pop3sPort_ == 0 || pop3sPort_ == port_) return Fail("no second free port on " + host_);
  }
  std::vector<std::string> args = {"-d", Dir(), "-a", host_, "-p", std::to_string(port_), "-s",
                                   std::to_string(pop3sPort_)};
  for (const Account& a : accounts_) {
    args.insert(args.end(), {"-u", a.user + ":" + a.password});
    for (const std::string& f : a.files) args.insert(args.end(), {"-m", f});
  }
  if (!RunStartScript("dovecot/run-dovecot.sh", args)) return false;
  return WaitListening({{port_, Transport::kTcp}, {pop3sPort_, Transport::kTcp}});
}

size_t DovecotServer::MessageCount(const std::string& user) const {
  size_t count = 0;
  for (const char* sub : {"/cur", "/new"}) {
    std::error_code ec;
    for (fs::directory_iterator it(MaildirPath(user) + sub, ec), end; !ec && it != end; it.increment(ec))
      if (it->is_regular_file()) ++count;
  }
  return count;
}

}  // namespace mobrelle::test
