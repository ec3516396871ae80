#include "tests/support/servers/loopback_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <fstream>
#include <sstream>
#include <thread>

namespace mobrelle::test {
namespace {

using Clock = std::chrono::steady_clock;

// Binds a socket of the given kind to address:port (port 0 picks one) and returns the port, or 0.
uint16_t BindOnce(const std::string& address, Transport transport, uint16_t port) {
  int fd = ::socket(AF_INET, transport == Transport::kTcp ? SOCK_STREAM : SOCK_DGRAM, 0);
  if (fd < 0) return 0;
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  uint16_t result = 0;
  if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) == 1 &&
      ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
    socklen_t len = sizeof sa;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) == 0) result = ntohs(sa.sin_port);
  }
  ::close(fd);
  return result;
}

QStringList ToQt(const std::vector<std::string>& args) {
  QStringList list;
  for (const std::string& a : args) list << QString::fromStdString(a);
  return list;
}

std::string LogTail(const std::string& path) {
  if (path.empty()) return "";
  std::vector<std::string> lines = ReadLines(path);
  if (lines.empty()) return "";
  std::string tail = "\nlast lines of " + path + ":";
  for (size_t i = lines.size() > 15 ? lines.size() - 15 : 0; i < lines.size(); ++i) tail += "\n  " + lines[i];
  return tail;
}

}  // namespace

uint16_t FreePort(const std::string& address, Transport transport) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    uint16_t port = BindOnce(address, transport, 0);
    if (port == 0) return 0;
    if (transport == Transport::kTcp || BindOnce(address, Transport::kTcp, port) == port) return port;
  }
  return 0;
}

bool IsListening(const std::string& address, uint16_t port, Transport transport) {
  in_addr wanted{};
  if (::inet_pton(AF_INET, address.c_str(), &wanted) != 1) return false;
  std::ifstream in(transport == Transport::kTcp ? "/proc/net/tcp" : "/proc/net/udp");
  std::string line;
  std::getline(in, line);  // column titles
  // "  sl  local_address rem_address   st ...": the address is the raw 32-bit value in hexadecimal,
  // the port in hexadecimal; st 0A is LISTEN for TCP, 07 an unconnected bound UDP socket.
  const char* state = transport == Transport::kTcp ? "0A" : "07";
  for (int n = 0; n < 100000 && std::getline(in, line); ++n) {
    std::istringstream fields(line);
    std::string slot, local, remote, st;
    if (!(fields >> slot >> local >> remote >> st)) continue;
    size_t colon = local.find(':');
    if (colon == std::string::npos || st != state) continue;
    uint32_t ip = static_cast<uint32_t>(std::stoul(local.substr(0, colon), nullptr, 16));
    unsigned long p = std::stoul(local.substr(colon + 1), nullptr, 16);
    if (p == port && (ip == wanted.s_addr || ip == 0)) return true;
  }
  return false;
}

bool ProcessAlive(pid_t pid) {
  if (pid <= 0) return false;
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  if (!std::getline(in, stat)) return false;
  size_t paren = stat.rfind(')');
  if (paren == std::string::npos || paren + 2 >= stat.size()) return false;
  char state = stat[paren + 2];
  return state != 'Z' && state != 'X';
}

bool StopProcess(pid_t pid, std::chrono::milliseconds grace) {
  if (!ProcessAlive(pid)) return true;
  ::kill(pid, SIGTERM);
  const auto deadline = Clock::now() + grace;
  while (Clock::now() < deadline) {
    if (!ProcessAlive(pid)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  for (int i = 0; i < 100 && ProcessAlive(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return false;
}

bool RunningAsRealRoot() {
  if (::geteuid() != 0) return false;
  // In a user namespace made by "unshare -r" only our own uid is mapped, so nobody does not exist.
  std::ifstream in("/proc/self/uid_map");
  unsigned long inside = 0, outside = 0, count = 0;
  while (in >> inside >> outside >> count) {
    if (inside == 0 && count > 65534) return true;
  }
  return false;
}

std::string ServerScriptsDir() { return std::string(MOBRELLE_SOURCE_DIR) + "/tests/servers"; }

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

LoopbackServer::LoopbackServer(std::string name) : name_(std::move(name)) {}

LoopbackServer::~LoopbackServer() { Stop(); }

void LoopbackServer::Stop() {
  if (pid_ > 0) StopProcess(pid_);
  pid_ = 0;
}

bool LoopbackServer::ChoosePort(Transport transport) {
  if (port_ == 0) port_ = FreePort(host_, transport);
  return port_ != 0 || Fail("no free port on " + host_);
}

bool LoopbackServer::Need(const std::string& program, const std::string& package) {
  if (QFileInfo(QString::fromStdString(program)).isExecutable()) return true;
  return Fail(program + " is missing: install the Debian package " + package);
}

bool LoopbackServer::RunStartScript(const std::string& script, const std::vector<std::string>& args) {
  QProcess process;
  process.setProgram(QString::fromStdString(ServerScriptsDir() + "/" + script));
  process.setArguments(ToQt(args));
  process.setStandardInputFile(QProcess::nullDevice());
  process.start();
  if (!process.waitForStarted(5000)) return Fail("could not run " + script + ": " + process.errorString().toStdString());
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished(1000);
    return Fail(script + " did not finish within 30 s");
  }
  const std::string out = process.readAllStandardOutput().trimmed().toStdString();
  const std::string err = process.readAllStandardError().trimmed().toStdString();
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    return Fail(script + " failed (exit " + std::to_string(process.exitCode()) + "): " + err);
  const size_t lastLine = out.rfind('\n');
  const std::string pidText = out.substr(lastLine == std::string::npos ? 0 : lastLine + 1);
  pid_ = static_cast<pid_t>(std::atoi(pidText.c_str()));
  if (pid_ <= 0) return Fail(script + " printed no PID: " + out + " " + err);
  return true;
}

bool LoopbackServer::StartDetached(const std::string& program, const std::vector<std::string>& args) {
  QProcess process;
  process.setProgram(QString::fromStdString(program));
  process.setArguments(ToQt(args));
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QString::fromStdString(dir_.File("server.out")));
  process.setStandardErrorFile(QString::fromStdString(dir_.File("server.out")));
  qint64 pid = 0;
  if (!process.startDetached(&pid) || pid <= 0) return Fail("could not start " + program);
  pid_ = static_cast<pid_t>(pid);
  return true;
}

bool LoopbackServer::WaitListening(const std::vector<std::pair<uint16_t, Transport>>& ports,
                                   std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    bool all = true;
    for (const auto& [port, transport] : ports) all = all && IsListening(host_, port, transport);
    if (all) return true;
    if (!ProcessAlive(pid_)) {
      pid_ = 0;
      return Fail("ended before it listened on " + host_ + ":" + std::to_string(port_));
    }
    if (Clock::now() > deadline) {
      Stop();
      return Fail("did not listen on " + host_ + ":" + std::to_string(port_) + " within " +
                  std::to_string(limit.count()) + " ms");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool LoopbackServer::Fail(const std::string& message, const std::string& logPath) {
  error_ = name_ + ": " + message + LogTail(logPath.empty() ? log_ : logPath);
  ADD_FAILURE() << error_;
  return false;
}

}  // namespace mobrelle::test
