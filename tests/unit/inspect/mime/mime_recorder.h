#pragma once
// Records what a decoder reports, as short readable entries, so a test can compare whole sequences.

#include <sstream>
#include <string>
#include <vector>

#include "inspect/mime/mime_decode.h"

namespace mobrelle::test {

// Control bytes shown as \r, \n or \xNN so failures read well.
inline std::string Shown(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c < 0x20 || c >= 0x7F) {
      static const char* hex = "0123456789ABCDEF";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else out += static_cast<char>(c);
  }
  return out;
}

struct MimeRecorder {
  std::vector<std::string> events;
  TMimeDecode decoder;

  explicit MimeRecorder(bool withHeaderLines = false) {
    TMimeDecode& d = decoder;
    d.OnHeaderBegin = [this] { events.push_back("HeaderBegin"); };
    if (withHeaderLines) d.OnHeaderLine = [this](std::string_view l) { events.push_back("HeaderLine " + Shown(l)); };
    d.OnHeaderEnd = [this] { events.push_back("HeaderEnd"); };
    d.OnPartHeaderBegin = [this, &d] { events.push_back("PartHeaderBegin " + std::to_string(d.PartNumber())); };
    if (withHeaderLines)
      d.OnPartHeaderLine = [this](std::string_view l) { events.push_back("PartHeaderLine " + Shown(l)); };
    d.OnPartHeaderEnd = [this] { events.push_back("PartHeaderEnd"); };
    d.OnPartBegin = [this, &d] { events.push_back("PartBegin " + std::to_string(d.PartNumber())); };
    d.OnPartLine = [this](const char* b, size_t n) {
      if (b[n] != '\0') events.push_back("piece not NUL-terminated");
      events.push_back("[" + Shown(std::string_view(b, n)) + "]");
    };
    d.OnPartEnd = [this, &d] { events.push_back("PartEnd " + std::to_string(d.PartNumber())); };
    d.OnMessageEnd = [this] { events.push_back("MessageEnd"); };
    d.OnInlineDecodeBegin = [this](std::string_view name) { events.push_back("InlineBegin " + std::string(name)); };
    d.OnInlineDecodeLine = [this](const char* b, size_t n) { events.push_back("InlineLine " + Shown(std::string_view(b, n))); };
    d.OnInlineDecodeEnd = [this] { events.push_back("InlineEnd"); };
  }

  std::vector<std::string> Decode(std::string_view message) {
    events.clear();
    decoder.DecodeBytes(message);
    return events;
  }
};

}  // namespace mobrelle::test
