#pragma once
// Reading the values of header lines: names, value tokens and parameters, with this decoder's own
// rules (ASCII lower-casing only, a space before ';' or '=' ends what is read).

#include <cstddef>
#include <string>
#include <string_view>

namespace mobrelle::mime {

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
std::string AsciiLowerCase(std::string_view text);
// Case-insensitive (ASCII) test that `text` begins with `prefix`; `prefix` is given in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// The header name at the start of `line` (up to a space, tab, ':', ';' or '='), lower-cased. `end`
// receives the index of the byte that stopped it.
std::string HeaderName(std::string_view line, size_t& end);

// A value token from `pos`: leading spaces, tabs, CR and LF skipped; lower-cased; ends at a space,
// tab, ':', ';' or '=' outside parentheses; the parentheses themselves are dropped. `pos` is left on
// the byte that ended it (or at the end).
std::string ReadToken(std::string_view text, size_t& pos);

// The raw text without one pair of enclosing angle brackets.
std::string WithoutAngleBrackets(std::string_view text);

// Walks the parameters that follow a token ended by ';'. For each name=value pair `found(name, value)`
// is called; `found` returns false to stop reading further parameters on the line. When
// `filenameToEnd` is set, an unquoted "filename" value is the rest of the line unchanged and ends
// the list.
template <typename Found>
void ReadParameters(std::string_view text, size_t pos, bool filenameToEnd, Found found);

}  // namespace mobrelle::mime

#include "inspect/mime/header_values_impl.h"
