#pragma once
// An SMTP server on loopback whose replies a test chooses: a 421 greeting, a 450 to one recipient,
// a long multi-line EHLO, a silent step. It records every line it receives and every message.
// Without a chosen reply each command gets the usual positive one (220 greeting, 250, 354, 221).

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/servers/loopback_server.h"

namespace mobrelle::test {

class ScriptedSmtpServer : public LoopbackServer {
 public:
  // The lines of one reply, sent as given (a multi-line reply writes its own hyphens).
  using Reply = std::vector<std::string>;

  ScriptedSmtpServer();

  // Before Start. A greeting or reply whose last line has code 421 or 221 closes the connection.
  void SetGreeting(const Reply& lines) { greeting_ = lines; }
  // key is a command word ("RCPT") or a word and its address ("RCPT busy@example.test", matched
  // without "TO:"/"FROM:" and angle brackets, ignoring case), which wins over the word alone.
  void SetReply(const std::string& key, const Reply& lines) { replies_[key] = lines; }
  // The server then never answers the greeting, or that command; it reads on.
  void SetSilentGreeting() { greeting_ = std::nullopt; }
  void SetSilent(const std::string& key) { replies_[key] = std::nullopt; }
  // Reply to the "." that ends the message.
  void SetDataEndReply(const Reply& lines) { dataEnd_ = lines; }

  [[nodiscard]] bool Start();

  // Every line received so far, message lines included, without line ends.
  std::vector<std::string> ReceivedLines() const { return ReadLines(dir_.File("record/commands.log")); }
  // The messages received so far: the bytes between DATA and the final ".", still dot-stuffed.
  std::vector<std::string> Messages() const;

 private:
  std::optional<Reply> greeting_ = Reply{"220 scripted.test ESMTP"};
  std::map<std::string, std::optional<Reply>> replies_;
  Reply dataEnd_ = {"250 2.0.0 Ok: queued"};
};

// JSON text of a string of Windows-1252 bytes, each byte as the code point of the same number, as
// the Python side reads it back (latin-1).
std::string JsonString(const std::string& bytes);

}  // namespace mobrelle::test
