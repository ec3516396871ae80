#include "inspect/zip/zip_names.h"

#include <cstdint>

namespace mobrelle::zip {
namespace {

constexpr unsigned char kCp437High[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,  // 0x80
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x3F, 0x83,  // 0x90
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAC, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,  // 0xA0
    0x3F, 0x3F, 0x3F, 0x7C, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x7C, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B,  // 0xB0
    0x2B, 0x2B, 0x2B, 0x2B, 0x2D, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x3D, 0x2B, 0x2B,  // 0xC0
    0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,  // 0xD0
    0x61, 0xDF, 0x47, 0x70, 0x53, 0x73, 0xB5, 0x74, 0x46, 0x54, 0x4F, 0x64, 0x38, 0x66, 0x65, 0x6E,  // 0xE0
    0x3D, 0xB1, 0x3E, 0x3C, 0x28, 0x29, 0xF7, 0x7E, 0xB0, 0xB7, 0xB7, 0x76, 0x6E, 0xB2, 0x3F, 0xA0,  // 0xF0
};

// Code points of Windows-1252 bytes 0x80 to 0x9F; the five undefined ones keep their own value.
constexpr char16_t kCp1252C1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

unsigned char UnicodeToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kCp1252C1[i] == cp) return static_cast<unsigned char>(0x80 + i);
  return '?';
}

unsigned char Lower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Wildcard match, case ignored: '?' one character, '*' any run (iterative, no backtracking blow-up).
bool WildMatch(std::string_view pattern, std::string_view text) {
  size_t p = 0, t = 0, starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && (pattern[p] == '?' || Lower1252(static_cast<unsigned char>(pattern[p])) ==
                                                               Lower1252(static_cast<unsigned char>(text[t])))) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

size_t LastSeparator(std::string_view s) {
  for (size_t i = s.size(); i-- > 0;)
    if (IsSeparator(s[i])) return i;
  return std::string_view::npos;
}

}  // namespace

unsigned char Cp437ToCp1252(unsigned char c) { return c < 0x80 ? c : kCp437High[c - 0x80]; }

std::string Cp437ToCp1252(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = static_cast<char>(Cp437ToCp1252(static_cast<unsigned char>(c)));
  return out;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out) {
  out.clear();
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int extra;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= utf8.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    out += static_cast<char>(UnicodeToCp1252(cp));
    i += extra + 1;
  }
  return true;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    char32_t cp = c;
    if (c >= 0x80 && c < 0xA0) cp = kCp1252C1[c - 0x80];
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

bool ZipMaskMatches(std::string_view mask, std::string_view name) {
  const size_t nameSep = LastSeparator(name);
  const std::string_view namePart = nameSep == std::string_view::npos ? name : name.substr(nameSep + 1);
  if (namePart.empty()) return false;  // a folder entry
  const size_t maskSep = LastSeparator(mask);
  const std::string_view maskPart = maskSep == std::string_view::npos ? mask : mask.substr(maskSep + 1);
  if (maskSep != std::string_view::npos) {
    const std::string_view maskFolder = mask.substr(0, maskSep);
    const std::string_view nameFolder =
        nameSep == std::string_view::npos ? std::string_view() : name.substr(0, nameSep);
    // Folders compare with either separator.
    std::string a(maskFolder), b(nameFolder);
    for (char& c : a)
      if (c == '\\') c = '/';
    for (char& c : b)
      if (c == '\\') c = '/';
    if (!WildMatch(a, b)) return false;
  }
  if (maskPart == "*" || maskPart == "*.*") return true;
  return WildMatch(maskPart, namePart);
}

bool IsSafeRelativePath(std::string_view path) {
  if (path.empty() || IsSeparator(path[0])) return false;
  if (path.size() >= 2 && path[1] == ':' && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
    return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (path.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace mobrelle::zip
