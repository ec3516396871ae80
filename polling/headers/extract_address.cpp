#include "polling/headers/extract_address.h"

#include "app/core/cp1252.h"

namespace mobrelle {

namespace {

bool InDomain(char c) { return c == '-' || c == '.' || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }

// '+' and '=' for plus addressing and bounce addresses.
bool InLocalPart(char c) { return InDomain(c) || c == '"' || c == '+' || c == '='; }

}  // namespace

std::string ExtractAddress(std::string_view text) {
  const std::string lower = LowerCase(text);
  const size_t at = lower.rfind('@');
  if (at == std::string::npos || at == 0) return {};
  size_t begin = at;
  while (begin > 0 && InLocalPart(lower[begin - 1])) --begin;
  size_t end = at + 1;
  while (end < lower.size() && InDomain(lower[end])) ++end;
  return lower.substr(begin, end - begin);
}

}  // namespace mobrelle
