// Feeds a byte stream through the receive buffer in reads whose sizes come from the input, and every
// line it yields through the reply readers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "polling/pop3/pop3_line_buffer.h"
#include "polling/pop3/pop3_reply.h"

using namespace mobrelle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t chunk = 1 + data[0] % 64 * 97;  // 1 to a whole buffer
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  size_t left = size - 1;
  Pop3LineBuffer buffer;
  std::string line;
  while (left > 0) {
    const size_t took = buffer.Append(bytes, left < chunk ? left : chunk);
    if (took == 0) std::abort();  // a full buffer must always yield a line first
    bytes += took;
    left -= took;
    while (buffer.NextLine(line)) {
      if (line.size() > Pop3LineBuffer::kPiece) std::abort();
      (void)IsPositiveReply(line);
      const Pop3Numbers n = ExtractNumbers(line);
      if (n.first < 0 || n.second < 0) std::abort();
      const Pop3Uid u = ExtractUid(line);
      if (u.uid.size() > line.size()) std::abort();
      const std::string ts = ApopTimestamp(line);
      if (!ts.empty() && (ts.front() != '<' || ts.back() != '>')) std::abort();
      (void)TraceOfCommand(line);
      std::string_view unstuffed = line;
      if (UnstuffLine(unstuffed) == MultiLineKind::Line && unstuffed.size() + 1 < line.size()) std::abort();
    }
  }
  return 0;
}
