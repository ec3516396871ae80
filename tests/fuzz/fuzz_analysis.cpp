// The analysis of arbitrary messages. The input is analysed as a message, and again as the
// attachment "fuzz.zip" of a message, so archive data reaches the listing without having to be
// spelt in base64 by the fuzzer. Nothing may crash, run away or break the bounds of an analysis.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "inspect/analysis/attachment_analysis.h"

namespace {

std::string Base64(std::string_view data) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < data.size(); i += 3) {
    const size_t n = data.size() - i < 3 ? data.size() - i : 3;
    uint32_t v = static_cast<uint32_t>(static_cast<uint8_t>(data[i])) << 16;
    if (n > 1) v |= static_cast<uint32_t>(static_cast<uint8_t>(data[i + 1])) << 8;
    if (n > 2) v |= static_cast<uint8_t>(data[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
    out += n > 2 ? kAlphabet[v & 63] : '=';
    if (i % 57 == 54) out += "\r\n";
  }
  return out + "\r\n";
}

void Check(const mobrelle::AnalysisResult& r, const mobrelle::AnalysisLimits& limits) {
  if (r.rows.empty() || r.rows.size() > limits.maxRows) std::abort();
  for (const mobrelle::AnalysisRow& row : r.rows) {
    if (row.content != mobrelle::UnzippedText()) continue;
    // A member row: ">" once per level, at most one level past the deepest archive opened.
    const size_t marks = row.file.find_first_not_of('>');
    if (marks == 0 || marks == std::string::npos || marks > static_cast<size_t>(limits.maxDepth) + 1 ||
        row.file[marks] != ' ')
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mobrelle::AnalysisLimits limits;  // small bounds, so one input stays quick
  limits.maxDepth = 4;
  limits.maxMemberSize = 1 << 20;
  limits.maxExtracted = 4 << 20;
  limits.maxRows = 2000;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Check(mobrelle::AnalyseMessage(input, limits), limits);
  const std::string wrapped =
      "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: application/zip\r\n"
      "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"fuzz.zip\"\r\n\r\n" +
      Base64(input) + "--b--\r\n";
  Check(mobrelle::AnalyseMessage(wrapped, limits), limits);
  return 0;
}
