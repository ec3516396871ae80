#pragma once
// Common ground of the test servers: a server process started in a temporary folder on a loopback
// address and a free port, ready once its socket listens, stopped by PID when the object goes.
//
// Start() of every server reports a failure to GoogleTest itself (naming the Debian package when the
// program is missing), so a test cannot pass without its server; use it as ASSERT_TRUE(s.Start()).

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace mobrelle::test {

enum class Transport { kTcp, kUdp };

// A port nobody uses on address right now, found by binding port 0 (with kUdp the same number is
// free for TCP too, as a DNS server takes both). 0 when none could be had.
uint16_t FreePort(const std::string& address, Transport transport = Transport::kTcp);

// Whether a socket listens on address:port (or on any address at that port) in this network
// namespace. Read from /proc/net, so no probe connection ever reaches a server log.
bool IsListening(const std::string& address, uint16_t port, Transport transport);

// Whether the process runs. A zombie counts as ended: daemons whose starter has exited are reaped
// late by PID 1.
bool ProcessAlive(pid_t pid);

// SIGTERM, up to `grace` for the process to end, then SIGKILL. Returns true when it ended in time.
bool StopProcess(pid_t pid, std::chrono::milliseconds grace = std::chrono::seconds(5));

// True when we are root of the whole machine (not only of a user namespace): servers may then
// switch to other users such as nobody.
bool RunningAsRealRoot();

// Folder of the server scripts and configs in the source tree.
std::string ServerScriptsDir();

// Lines of a text file without their line ends (empty when it cannot be read).
std::vector<std::string> ReadLines(const std::string& path);

class LoopbackServer {
 public:
  virtual ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Before Start: the address to listen on (default 127.0.0.1; any 127.0.0.x binds without setup)
  // and the port (0, the default, takes a free one).
  void SetAddress(const std::string& address) { host_ = address; }
  void SetPort(uint16_t port) { port_ = port; }

  const std::string& Host() const { return host_; }
  uint16_t Port() const { return port_; }
  // The server's own folder: configs, logs, data. Removed with the object.
  const std::string& Dir() const { return dir_.Path(); }
  pid_t Pid() const { return pid_; }
  bool Running() const { return pid_ > 0 && ProcessAlive(pid_); }
  // Why the last Start failed.
  const std::string& Error() const { return error_; }

  // Stops the server (also done by the destructor). Safe to call twice.
  void Stop();

 protected:
  explicit LoopbackServer(std::string name);

  // Picks the port when none was set; fails when none is free.
  bool ChoosePort(Transport transport = Transport::kTcp);
  // Runs a start script of ours that prints the PID of the server it started on its last line.
  bool RunStartScript(const std::string& script, const std::vector<std::string>& args);
  // Starts a program as a detached process and takes its PID.
  bool StartDetached(const std::string& program, const std::vector<std::string>& args);
  // Waits (bounded) until every port listens; fails at once when the server process ends.
  bool WaitListening(const std::vector<std::pair<uint16_t, Transport>>& ports,
                     std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Records the failure for GoogleTest and Error(), with the end of the log when there is one.
  bool Fail(const std::string& message, const std::string& logPath = "");
  // Fails unless the program file exists; package names the Debian package that provides it.
  bool Need(const std::string& program, const std::string& package);

  std::string name_;  // for messages: "Dovecot POP3 server", ...
  std::string host_ = "127.0.0.1";
  uint16_t port_ = 0;
  pid_t pid_ = 0;
  std::string error_;
  std::string log_;  // the server's log, quoted in failure messages
  TempDir dir_;
};

}  // namespace mobrelle::test
