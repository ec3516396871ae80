#pragma once
// The CRC-32 of ZIP: reflected polynomial 0xEDB88320, initial value all ones, result complemented.
// `crc` is the value so far (0 for no data), so pieces can be chained.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mobrelle::zip {

uint32_t ZipCrc32(uint32_t crc, const void* data, size_t size);
inline uint32_t ZipCrc32(std::string_view data) { return ZipCrc32(0, data.data(), data.size()); }

}  // namespace mobrelle::zip
