#include "inspect/mime/transfer_decoding.h"

#include <array>
#include <cstdint>

namespace mobrelle::mime {

namespace {

struct Base64Table {
  std::array<uint8_t, 128> value{};
  constexpr Base64Table() {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(alphabet[i])] = static_cast<uint8_t>(i);
  }
};
constexpr Base64Table kBase64;

inline uint32_t Sextet(char c) { return kBase64.value[static_cast<unsigned char>(c) & 0x7F]; }

// '0'-'9' by value; anything else by its code modulo 16 plus 9, which makes both cases of A-F right.
inline unsigned HexValue(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= '0' && u <= '9') ? u - '0' : (u % 16) + 9;
}

}  // namespace

void AppendBase64Line(std::string_view line, std::string& out) {
  size_t b = 0, e = line.size();
  while (b < e && (line[b] == ' ' || line[b] == '\t')) ++b;
  while (e > b && (line[e - 1] == ' ' || line[e - 1] == '\t')) --e;
  const char* p = line.data() + b;
  const size_t n = e - b;
  out.reserve(out.size() + n / 4 * 3 + 3);
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const uint32_t v = Sextet(p[i]) << 18 | Sextet(p[i + 1]) << 12 | Sextet(p[i + 2]) << 6 | Sextet(p[i + 3]);
    out += static_cast<char>(v >> 16);
    if (p[i + 2] == '=') continue;
    out += static_cast<char>(v >> 8);
    if (p[i + 3] == '=') continue;
    out += static_cast<char>(v);
  }
  if (i < n) {  // a group cut short: as if the rest were '='
    const size_t left = n - i;
    uint32_t v = Sextet(p[i]) << 18;
    if (left > 1) v |= Sextet(p[i + 1]) << 12;
    if (left > 2) v |= Sextet(p[i + 2]) << 6;
    out += static_cast<char>(v >> 16);
    if (left == 3 && p[i + 2] != '=') out += static_cast<char>(v >> 8);
  }
}

bool AppendQuotedPrintableLine(std::string_view line, std::string& out) {
  const size_t n = line.size();
  out.reserve(out.size() + n + 2);
  size_t i = 0;
  while (i < n) {
    const char c = line[i];
    if (c != '=') {
      out += c;
      ++i;
    } else if (i + 1 == n) {
      return false;  // soft line break
    } else if (i + 2 == n) {
      out += static_cast<char>(HexValue(line[i + 1]));
      i += 2;
    } else {
      out += static_cast<char>((HexValue(line[i + 1]) << 4) + HexValue(line[i + 2]));
      i += 3;
    }
  }
  out += "\r\n";
  return true;
}

void AppendUudecodedLine(std::string_view line, std::string& out) {
  if (line.empty()) return;
  auto six = [&](size_t k) -> uint32_t { return k < line.size() ? (static_cast<unsigned char>(line[k]) - 32u) & 63u : 0u; };
  size_t count = six(0);
  for (size_t k = 1; count > 0; k += 4) {
    const uint32_t v = six(k) << 18 | six(k + 1) << 12 | six(k + 2) << 6 | six(k + 3);
    for (int shift = 16; shift >= 0 && count > 0; shift -= 8, --count) out += static_cast<char>(v >> shift);
  }
}

}  // namespace mobrelle::mime
