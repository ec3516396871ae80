#pragma once
// The receive buffer of a POP3 session. Bytes from the socket are appended, complete lines (ended by
// CR LF) are taken out one by one. The buffer holds 4096 bytes; a read may fill it up to 4093, and a
// line that does not end within 4093 bytes is cut there and handed out in pieces, so a server can
// never make us hold more than one buffer of a line.

#include <array>
#include <cstddef>
#include <string>

namespace mobrelle {

class Pop3LineBuffer {
 public:
  static constexpr size_t kSize = 4096;
  static constexpr size_t kPiece = 4093;

  // How many bytes the next read may ask for (never 0 once NextLine has returned false).
  size_t Room() const { return kPiece - Held(); }
  size_t Held() const { return end_ - start_; }
  // Where the next read writes its bytes (Room() of them at most); Commit says how many came.
  char* WritePtr();
  void Commit(size_t bytes);
  // Convenience for tests and the fuzz target: copies up to Room() bytes, returns how many it took.
  size_t Append(const char* data, size_t bytes);

  // Takes out the next complete line without its CR LF; false when none is complete yet.
  bool NextLine(std::string& line);
  void Clear() { start_ = end_ = scanned_ = 0; }

 private:
  std::array<char, kSize> buf_{};
  size_t start_ = 0;    // first byte not yet handed out
  size_t end_ = 0;      // one past the last byte received
  size_t scanned_ = 0;  // bytes after start_ already known to hold no CR LF
};

}  // namespace mobrelle
