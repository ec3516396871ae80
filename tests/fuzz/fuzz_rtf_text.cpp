// The RTF reader of the first-use guide on arbitrary bytes: it must end, stay within the input, and
// give well-formed UTF-8 runs no longer than the input can account for.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/first_use/rtf_text.h"

namespace {

bool ValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const mobrelle::RtfDocument doc = mobrelle::ParseRtf(in);
  size_t total = 0;
  if (doc.Paragraphs.empty()) std::abort();
  for (const auto& p : doc.Paragraphs)
    for (const auto& run : p.Runs) {
      if (run.Text.empty() || !ValidUtf8(run.Text)) std::abort();
      total += run.Text.size();
    }
  // Every input byte gives at most one character of at most 3 bytes (a surrogate pair, 4 bytes,
  // takes far more than 2 input bytes).
  if (total > 3 * size) std::abort();
  if (doc.Paragraphs.size() > size + 1) std::abort();
  return 0;
}
