// SMTP reply reading on arbitrary server bytes, fed in two pieces.
#include <cstdint>
#include <cstdlib>

#include "filters/smtp/smtp_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mobrelle::SmtpReplyReader r;
  const size_t half = size / 2;
  r.Feed(reinterpret_cast<const char*>(data), half);
  for (int i = 0; i < 100000 && r.Next() == mobrelle::SmtpReplyReader::Status::Reply; ++i) {
  }
  r.Feed(reinterpret_cast<const char*>(data) + half, size - half);
  for (int i = 0; i < 100000; ++i) {
    const auto s = r.Next();
    if (s != mobrelle::SmtpReplyReader::Status::Reply) break;
    if (r.LastLine().size() > mobrelle::kSmtpMaxReplyLine) std::abort();
  }
  return 0;
}
