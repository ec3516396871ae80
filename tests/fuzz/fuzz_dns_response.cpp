// The DNS answer decoder on arbitrary datagrams: no read outside the bytes, no endless name.
#include <cstdint>
#include <cstdlib>

#include "filters/dns/dns_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mobrelle::DnsResponse r;
  if (mobrelle::DecodeDnsResponse(data, size, r)) {
    if (r.answers.size() > mobrelle::kDnsMaxAnswers || r.mx.size() > mobrelle::kDnsMaxMx) std::abort();
    for (const auto& a : r.answers)
      if (a.tag >= 50) std::abort();
  }
  return 0;
}
