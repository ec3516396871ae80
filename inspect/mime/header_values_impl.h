#pragma once
// Template part of header_values.h.

namespace mobrelle::mime {

inline bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

template <typename Found>
void ReadParameters(std::string_view text, size_t pos, bool filenameToEnd, Found found) {
  const size_t n = text.size();
  // Only a ';' right after the previous token or value opens another parameter.
  while (pos < n && text[pos] == ';') {
    ++pos;
    std::string name = ReadToken(text, pos);
    if (pos >= n || text[pos] != '=') continue;  // no '=' right after the name: ignored
    ++pos;
    while (pos < n && IsLineBlank(text[pos])) ++pos;
    std::string value;
    if (pos < n && text[pos] == '"') {
      const size_t close = text.find('"', pos + 1);
      const size_t end = close == std::string_view::npos ? n : close;
      value.assign(text.substr(pos + 1, end - pos - 1));
      pos = close == std::string_view::npos ? n : close + 1;
      if (filenameToEnd && name == "filename") {
        found(name, value);
        return;
      }
    } else if (filenameToEnd && name == "filename") {
      value.assign(text.substr(pos));
      found(name, value);
      return;
    } else {
      value = ReadToken(text, pos);
    }
    if (!found(name, value)) return;
  }
}

}  // namespace mobrelle::mime
