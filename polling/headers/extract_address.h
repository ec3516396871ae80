#pragma once
// Picking the e-mail address out of a header text.

#include <string>
#include <string_view>

namespace mobrelle {

// The last e-mail address of `text`, lower-cased (Windows-1252), or empty when there is no '@' after
// the first byte. The local part may hold letters, digits, '"', '-', '.', '_', '+' and '='; the
// domain letters, digits, '-', '.' and '_'.
std::string ExtractAddress(std::string_view text);

}  // namespace mobrelle
