#include "inspect/zip/zip_crc32.h"

#include <libdeflate.h>

namespace mobrelle::zip {

// libdeflate's CRC-32 is this very CRC (same initial value and final complement), carry-less
// multiplication where the processor has it.
uint32_t ZipCrc32(uint32_t crc, const void* data, size_t size) {
  return size ? libdeflate_crc32(crc, data, size) : crc;
}

}  // namespace mobrelle::zip
