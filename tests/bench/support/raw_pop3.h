#pragma once
// The reference client of the benchmarks: POP3 over one blocking socket, sending exactly the
// commands it is given.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace mobrelle::bench {

// The reference: one blocking socket, one buffer, no event loop. It checks only that each reply is
// positive, which is the least any client must do.
class RawPop3 {
 public:
  ~RawPop3() { Close(); }

  bool Connect(const std::string& host, uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0) return false;
    // Same socket options as ours: commands leave at once; a stuck server cannot hang the bench.
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    timeval limit{30, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) return false;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return false;
    start_ = end_ = 0;
    std::string_view greeting;
    return ReadLine(greeting) && Positive(greeting);
  }

  // Sends one command and reads its one-line reply.
  bool Command(std::string_view command) {
    std::string_view reply;
    return Send(command) && ReadLine(reply) && Positive(reply);
  }

  // Sends a command with a multi-line reply and reads through its "." line; counts the lines.
  bool MultiLine(std::string_view command, size_t& lines) {
    if (!Command(command)) return false;
    for (int guard = 0; guard < 1000000; ++guard) {
      std::string_view line;
      if (!ReadLine(line)) return false;
      if (line == ".") return true;
      ++lines;
    }
    return false;
  }

  // QUIT, then wait for the server to close, as ours does.
  bool Quit() {
    if (!Command("QUIT")) return false;
    char rest[256];
    for (int guard = 0; guard < 1000; ++guard) {
      const ssize_t n = ::recv(fd_, rest, sizeof rest, 0);
      if (n == 0) break;
      if (n < 0) return false;
    }
    Close();
    return true;
  }

 private:
  static bool Positive(std::string_view reply) { return !reply.empty() && reply[0] == '+'; }

  bool Send(std::string_view command) {
    char line[128];
    if (command.size() + 2 > sizeof line) return false;
    std::memcpy(line, command.data(), command.size());
    std::memcpy(line + command.size(), "\r\n", 2);
    const size_t size = command.size() + 2;
    return ::send(fd_, line, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
  }

  // The next line without its CR LF; it stays valid until the next read.
  bool ReadLine(std::string_view& line) {
    for (int guard = 0; guard < 100000; ++guard) {
      if (const void* lf = std::memchr(buf_ + start_, '\n', end_ - start_)) {
        const size_t at = static_cast<const char*>(lf) - buf_;
        size_t stop = at;
        if (stop > start_ && buf_[stop - 1] == '\r') --stop;
        line = std::string_view(buf_ + start_, stop - start_);
        start_ = at + 1;
        return true;
      }
      if (start_ > 0) {
        std::memmove(buf_, buf_ + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
      }
      if (end_ == sizeof buf_) return false;  // a line longer than the buffer: not from Dovecot
      const ssize_t n = ::recv(fd_, buf_ + end_, sizeof buf_ - end_, 0);
      if (n <= 0) return false;
      end_ += static_cast<size_t>(n);
    }
    return false;
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
  char buf_[16384];
  size_t start_ = 0, end_ = 0;
};

}  // namespace mobrelle::bench
