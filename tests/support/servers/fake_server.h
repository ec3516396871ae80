#pragma once
// Servers that misbehave on purpose, for what real ones will not do. The POP3 modes accept any
// login and hold one message (STAT "+OK 1 <size>", UIDL "+OK 1 fake-uid-0001").

#include <string>
#include <vector>

#include "tests/support/servers/loopback_server.h"

namespace mobrelle::test {

class FakeServer : public LoopbackServer {
 public:
  enum class Mode {
    kSilent,          // accepts, never sends a byte
    kGreetThenSilent, // sends the greeting, then never answers
    kGarbage,         // sends binary noise and lines without any status
    kDropMidTop,      // POP3: TOP and RETR send "+OK" and two lines, then the connection drops
    kLongLine,        // POP3: TOP and RETR hold one line of LongLineBytes() bytes (CR LF excluded)
    kQuitKeepsOpen,   // POP3: QUIT gets "+OK" but the connection stays open
    kReplyFile,       // reads a request up to its empty line, sends the reply bytes as they are
  };

  explicit FakeServer(Mode mode);

  // Before Start.
  void SetGreeting(const std::string& line) { greeting_ = line; }  // without CR LF
  void SetLongLineBytes(size_t bytes) { longLine_ = bytes; }
  // kReplyFile: the bytes to send; keepOpen leaves the connection open after them, afterFirstLine
  // answers after the first request line instead of after the empty line.
  void SetReply(const std::string& bytes, bool keepOpen = false, bool afterFirstLine = false);

  [[nodiscard]] bool Start();

  size_t LongLineBytes() const { return longLine_; }
  // Greeting of the POP3 modes (default one with an APOP timestamp).
  const std::string& Greeting() const { return greeting_; }
  // Every line received so far, without line ends.
  std::vector<std::string> ReceivedLines() const { return ReadLines(dir_.File("received.log")); }

 private:
  Mode mode_;
  std::string greeting_ = "+OK fake POP3 server ready <1896.697170952@fake.test>";
  size_t longLine_ = 5 * 1024 * 1024;
  bool keepOpen_ = false, afterFirstLine_ = false;
};

}  // namespace mobrelle::test
