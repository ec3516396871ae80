#include "app/core/cp1252.h"

#include <array>

namespace mobrelle {
namespace {

// Code points of 0x80..0x9F; the undefined five keep their own value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct CaseTables {
  std::array<unsigned char, 256> lower{};
  std::array<unsigned char, 256> upper{};
  constexpr CaseTables() {
    for (int i = 0; i < 256; ++i) lower[i] = upper[i] = static_cast<unsigned char>(i);
    auto pair = [this](int up, int low) {
      lower[up] = static_cast<unsigned char>(low);
      upper[low] = static_cast<unsigned char>(up);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) pair(c, c + 32);  // 0xD7 is the multiplication sign
    pair(0x8A, 0x9A);                  // Š š
    pair(0x8C, 0x9C);                  // Œ œ
    pair(0x8E, 0x9E);                  // Ž ž
    pair(0x9F, 0xFF);                  // Ÿ ÿ
  }
};
constexpr CaseTables kCase;


}  // namespace

unsigned char Cp1252Lower(unsigned char c) { return kCase.lower[c]; }
unsigned char Cp1252Upper(unsigned char c) { return kCase.upper[c]; }

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(kCase.lower[static_cast<unsigned char>(c)]);
  return out;
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(kCase.upper[static_cast<unsigned char>(c)]);
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (kCase.lower[static_cast<unsigned char>(a[i])] != kCase.lower[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

char32_t Cp1252ToUnicode(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
  return c;
}

unsigned char UnicodeToCp1252(char32_t cp, unsigned char fallback) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == cp) return static_cast<unsigned char>(0x80 + i);
  return fallback;
}

namespace {
// Where the run of plain ASCII that starts at `from` ends: most header text is nothing else, and
// such a run is the same bytes in both encodings.
size_t AsciiRunEnd(std::string_view text, size_t from) {
  while (from < text.size() && static_cast<unsigned char>(text[from]) < 0x80) ++from;
  return from;
}
}  // namespace

void AppendCp1252AsUtf8(std::string& out, std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t end = AsciiRunEnd(text, i);
    out.append(text.data() + i, end - i);
    if (end == text.size()) break;
    AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(text[end])));
    i = end + 1;
  }
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  AppendCp1252AsUtf8(out, text);
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8, unsigned char fallback) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  const size_t n = utf8.size();
  while (i < n) {
    if (const size_t end = AsciiRunEnd(utf8, i); end > i) {
      out.append(utf8.data() + i, end - i);
      i = end;
      continue;
    }
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    int len = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
      len = 2;
      cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
      len = 3;
      cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
      len = 4;
      cp = b0 & 0x07;
    }
    bool ok = len > 0 && i + len <= n;
    for (int k = 1; ok && k < len; ++k) {
      const auto b = static_cast<unsigned char>(utf8[i + k]);
      if ((b & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    if (ok && ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
               (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF))
      ok = false;
    if (!ok) {
      out += static_cast<char>(fallback);
      ++i;
      continue;
    }
    out += static_cast<char>(UnicodeToCp1252(cp, fallback));
    i += len;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace mobrelle
