#pragma once
// Byte counts as the message list shows them.

#include <cstdint>
#include <string>

namespace mobrelle {

// `n` in decimal with `separator` before every group of three digits from the right: 1.200.000.
std::string FormatSize(uint64_t n, char separator);

}  // namespace mobrelle
