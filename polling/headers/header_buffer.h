#pragma once
// The lines of one TOP (or RETR) reply, gathered for decoding. Rewinding before the next reply makes
// its lines replace the former content.

#include <string>
#include <string_view>

namespace mobrelle {

class HeaderBuffer {
 public:
  // The next write starts at the beginning; what it writes then ends the content.
  void Rewind() { position_ = 0; }
  // Writes `line` and CR LF at the current position.
  void AppendLine(std::string_view line);
  // What the buffer holds: the message lines, each with CR LF.
  std::string_view Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  size_t position_ = 0;
};

}  // namespace mobrelle
