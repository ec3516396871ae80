#include "tests/support/servers/postfix_server.h"

#include <algorithm>
#include <filesystem>

namespace mobrelle::test {
namespace fs = std::filesystem;

PostfixServer::PostfixServer() : LoopbackServer("Postfix SMTP server") { log_ = LogPath(); }

bool PostfixServer::Start() {
  if (!Need("/usr/sbin/postfix", "postfix") || !Need("/usr/lib/postfix/sbin/master", "postfix")) return false;
  if (!RunningAsRealRoot()) return Fail("needs root of the machine (Postfix switches to its own users)");
  if (!ChoosePort()) return false;
  std::vector<std::string> args = {"-d", Dir(), "-a", host_, "-p", std::to_string(port_)};
  for (const std::string& d : domains_) args.insert(args.end(), {"-m", d});
  for (const std::string& m : mailboxes_) args.insert(args.end(), {"-u", m});
  if (!RunStartScript("postfix/run-postfix.sh", args)) return false;
  return WaitListening({{port_, Transport::kTcp}});
}

std::vector<std::string> PostfixServer::Delivered(const std::string& address) const {
  // Maildir names start with the delivery time in seconds, then a counter: sorting by name is
  // close enough to delivery order for tests, which send one message at a time.
  std::vector<std::string> names;
  for (const char* sub : {"/new", "/cur"}) {
    std::error_code ec;
    for (fs::directory_iterator it(dir_.File("mail/" + address) + sub, ec), end; !ec && it != end;
         it.increment(ec))
      if (it->is_regular_file()) names.push_back(it->path().string());
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> messages;
  for (const std::string& n : names) messages.push_back(ReadFileBytes(n));
  return messages;
}

}  // namespace mobrelle::test
