#include "inspect/mime/header_values.h"

namespace mobrelle::mime {

namespace {
bool EndsToken(char c) { return c == ' ' || c == '\t' || c == ':' || c == ';' || c == '='; }
}  // namespace

std::string AsciiLowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (AsciiLower(text[i]) != prefix[i]) return false;
  return true;
}

std::string HeaderName(std::string_view line, size_t& end) {
  size_t i = 0;
  while (i < line.size() && !EndsToken(line[i])) ++i;
  end = i;
  return AsciiLowerCase(line.substr(0, i));
}

std::string ReadToken(std::string_view text, size_t& pos) {
  const size_t n = text.size();
  while (pos < n && IsLineBlank(text[pos])) ++pos;
  std::string token;
  int depth = 0;
  for (; pos < n; ++pos) {
    const char c = text[pos];
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) --depth;
    } else if (depth == 0 && EndsToken(c)) {
      break;
    } else {
      token += AsciiLower(c);
    }
  }
  return token;
}

std::string WithoutAngleBrackets(std::string_view text) {
  if (text.size() > 1 && text.front() == '<' && text.back() == '>') return std::string(text.substr(1, text.size() - 2));
  return std::string(text);
}

}  // namespace mobrelle::mime
