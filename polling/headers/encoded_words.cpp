#include "polling/headers/encoded_words.h"

#include "inspect/mime/transfer_decoding.h"

#include <array>
#include <cstdint>

#include "app/core/cp1252.h"

namespace mobrelle {

namespace {

constexpr size_t npos = std::string::npos;

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool BetweenWords(char c) { return c == ' ' || c == '=' || c == '?' || c == '\r' || c == '\n' || c == '\t'; }

// Normalises the text before decoding: upper-cases the charset and the encoding letter of each word,
// drops the blanks between an encoded word and the next one, and shrinks runs of spaces.
std::string FirstPass(std::string_view t) {
  std::string out;
  out.reserve(t.size());
  // A look-ahead that found no following word stays valid up to the byte that ended it.
  size_t noWordFrom = npos, noWordTo = 0;
  size_t i = 0;
  const size_t n = t.size();
  while (i < n) {
    // Plain text goes over in one piece up to the next byte that may matter.
    size_t plain = i;
    while (plain < n && t[plain] != '=' && t[plain] != '?' && t[plain] != ' ') ++plain;
    if (plain > i) {
      out.append(t.data() + i, plain - i);
      i = plain;
      continue;
    }
    const char c = t[i];
    if (c == '=' && i + 1 < n && t[i + 1] == '?') {
      const size_t q1 = t.find('?', i + 2);
      const size_t q2 = q1 == npos ? npos : t.find('?', q1 + 1);
      if (q2 == npos) {  // no charset and letter follow: leave the text as it is
        out += "=?";
        i += 2;
        continue;
      }
      for (; i <= q2; ++i) out += AsciiUpper(t[i]);
      continue;
    }
    if (c == '?' && i + 1 < n && t[i + 1] == '=') {
      out += "?=";
      size_t j = i + 2;
      size_t next = npos;
      if (!(j >= noWordFrom && j < noWordTo)) {
        for (; j < n && BetweenWords(t[j]); ++j) {
          if (t[j] == '=' && j + 1 < n && t[j + 1] == '?') {
            next = j;
            break;
          }
        }
        if (next == npos) {
          noWordFrom = i + 2;
          noWordTo = j;
        }
      }
      i = next == npos ? i + 2 : next;
      continue;
    }
    out += c;
    ++i;
    if (c == ' ')
      while (i < n && t[i] == ' ') ++i;
  }
  return out;
}

// `text` is a multiple of four bytes long; the body decoder's Base64 serves here too.
std::string DecodeBase64(std::string_view text) {
  std::string out;
  mime::AppendBase64Line(text, out);
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string DecodeQ(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '=' && i + 2 < text.size()) {
      const int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
      out += (hi < 0 || lo < 0) ? '#' : static_cast<char>(hi << 4 | lo);
      i += 2;
    } else {
      out += c == '_' ? ' ' : c;
    }
  }
  return out;
}

enum class Charset { AsIs, Utf8, Latin9 };

Charset CharsetOf(std::string_view name) {
  name = name.substr(0, name.find('*'));  // an RFC 2231 language suffix
  const std::string upper = UpperCase(name);
  if (upper == "UTF-8" || upper == "UTF8") return Charset::Utf8;
  if (upper == "ISO-8859-15" || upper == "ISO8859-15" || upper == "LATIN-9" || upper == "LATIN9") return Charset::Latin9;
  return Charset::AsIs;  // ISO-8859-1, Windows-1252, US-ASCII, and charsets we cannot convert
}

// The eight places where ISO-8859-15 differs from ISO-8859-1; all exist in Windows-1252.
std::string Latin9ToCp1252(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out) {
    switch (static_cast<unsigned char>(c)) {
      case 0xA4: c = '\x80'; break;  // €
      case 0xA6: c = '\x8A'; break;  // Š
      case 0xA8: c = '\x9A'; break;  // š
      case 0xB4: c = '\x8E'; break;  // Ž
      case 0xB8: c = '\x9E'; break;  // ž
      case 0xBC: c = '\x8C'; break;  // Œ
      case 0xBD: c = '\x9C'; break;  // œ
      case 0xBE: c = '\x9F'; break;  // Ÿ
      default: break;
    }
  }
  return out;
}

// Gathers the result; adjacent words of one charset are converted together, so that a character
// split between two words survives.
class Output {
 public:
  void Literal(std::string_view text) {
    if (text.empty()) return;
    Flush();
    result_ += text;
  }
  void Word(Charset charset, std::string_view bytes) {
    if (charset != charset_) Flush();
    charset_ = charset;
    word_ += bytes;
  }
  std::string Take() {
    Flush();
    return std::move(result_);
  }

 private:
  void Flush() {
    switch (charset_) {
      case Charset::AsIs: result_ += word_; break;
      case Charset::Utf8: result_ += Utf8ToCp1252(word_); break;
      case Charset::Latin9: result_ += Latin9ToCp1252(word_); break;
    }
    word_.clear();
  }
  std::string result_, word_;
  Charset charset_ = Charset::AsIs;
};

}  // namespace

std::string DecodeEncodedWords(std::string_view text) {
  const size_t lead = text.find_first_not_of(' ');
  if (lead == std::string_view::npos) return {};
  const std::string t = FirstPass(text.substr(lead));

  Output out;
  size_t p = 0;
  while (p < t.size()) {
    const size_t start = t.find("=?", p);
    if (start == npos) {
      out.Literal(std::string_view(t).substr(p));
      break;
    }
    out.Literal(std::string_view(t).substr(p, start - p));
    p = start + 2;
    const size_t q1 = t.find('?', p);
    const size_t q2 = (q1 == npos || q1 + 1 >= t.size()) ? npos : t.find('?', q1 + 2);
    if (q2 == npos) {  // not a word after all: keep the text
      out.Literal(std::string_view(t).substr(start));
      break;
    }
    const std::string_view charset = std::string_view(t).substr(p, q1 - p);
    const char letter = t[q1 + 1];
    p = q2 + 1;
    const size_t end = t.find("?=", p);
    if (end == npos) continue;  // the rest is read as plain text
    const std::string_view encoded = std::string_view(t).substr(p, end - p);
    if (letter == 'B') {
      if (encoded.size() % 4 != 0) {
        // A broken word stays as it is written; the text around it must not be lost.
        out.Literal(std::string_view(t).substr(start, end + 2 - start));
        p = end + 2;
        continue;
      }
      out.Word(CharsetOf(charset), DecodeBase64(encoded));
    } else if (letter == 'Q') {
      out.Word(CharsetOf(charset), DecodeQ(encoded));
    } else {
      out.Literal(encoded);
    }
    p = end + 2;
  }
  return out.Take();
}

}  // namespace mobrelle
