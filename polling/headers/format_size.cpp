#include "polling/headers/format_size.h"

namespace mobrelle {

std::string FormatSize(uint64_t n, char separator) {
  const std::string digits = std::to_string(n);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

}  // namespace mobrelle
