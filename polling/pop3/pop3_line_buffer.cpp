#include "polling/pop3/pop3_line_buffer.h"

#include <cstring>

namespace mobrelle {

char* Pop3LineBuffer::WritePtr() {
  // Lines are handed out from start_ without moving the rest each time; the remainder moves to the
  // front only when more bytes are needed.
  if (start_ > 0) {
    std::memmove(buf_.data(), buf_.data() + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
  }
  return buf_.data() + end_;
}

void Pop3LineBuffer::Commit(size_t bytes) {
  if (bytes > Room()) bytes = Room();
  end_ += bytes;
}

size_t Pop3LineBuffer::Append(const char* data, size_t bytes) {
  char* dst = WritePtr();
  if (bytes > Room()) bytes = Room();
  if (bytes > 0) std::memcpy(dst, data, bytes);
  Commit(bytes);
  return bytes;
}

bool Pop3LineBuffer::NextLine(std::string& line) {
  const size_t held = Held();
  // A CR at the very end may still get its LF with the next read: rescan from it.
  size_t i = scanned_ > 0 ? scanned_ - 1 : 0;
  const char* base = buf_.data() + start_;
  while (i + 1 < held) {
    const void* cr = std::memchr(base + i, '\r', held - 1 - i);
    if (!cr) break;
    i = static_cast<size_t>(static_cast<const char*>(cr) - base);
    if (base[i + 1] == '\n') {
      line.assign(base, i);
      start_ += i + 2;
      scanned_ = 0;
      if (start_ == end_) start_ = end_ = 0;
      return true;
    }
    ++i;
  }
  scanned_ = held;
  if (held >= kPiece) {
    // A full buffer without a line end: this piece is a line of its own.
    line.assign(buf_.data() + start_, held);
    Clear();
    return true;
  }
  return false;
}

}  // namespace mobrelle
