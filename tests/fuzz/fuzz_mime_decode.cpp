// The MIME decoder on arbitrary messages: it must not crash, every piece must reach the sink, part
// begin and end must alternate, and the message must end exactly once, last.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "inspect/mime/mime_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mobrelle::TMimeDecode d;
  std::string sink, pieces;
  bool inPart = false, ended = false;
  size_t lines = 0;
  auto check = [&](bool ok) {
    if (!ok || ended) std::abort();
  };
  d.DecodedSink = &sink;
  d.OnHeaderLine = [&](std::string_view l) { lines += l.size() + 1; };
  d.OnPartHeaderLine = [&](std::string_view l) { lines += l.size() + 1; };
  d.OnPartBegin = [&] {
    check(!inPart);
    inPart = true;
  };
  d.OnPartEnd = [&] {
    check(true);
    inPart = false;
  };
  d.OnPartLine = [&](const char* b, size_t n) {
    check(b[n] == '\0');
    pieces.append(b, n);
  };
  d.OnInlineDecodeBegin = [&](std::string_view) { check(true); };
  d.OnInlineDecodeLine = [&](const char* b, size_t n) { check(b[n] == '\0' && n <= 63); };
  d.OnMessageEnd = [&] {
    check(!inPart);
    ended = true;
  };
  const std::string_view message(reinterpret_cast<const char*>(data), size);
  d.DecodeBytes(message);
  if (!ended || sink != pieces) std::abort();
  // Unfolding adds at most one byte per line joined; nothing else makes header text grow.
  if (lines > 2 * size + 2) std::abort();
  if (!d.Boundary().empty() && d.Boundary().compare(0, 2, "--") != 0) std::abort();
  return 0;
}
