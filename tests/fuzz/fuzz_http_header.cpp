// HTTP answer header reading on arbitrary bytes, fed in two pieces, then redirection and names.
#include <cstdint>
#include <string>

#include "online/http/http_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* p = reinterpret_cast<const char*>(data);
  mobrelle::HttpHeaderReader h;
  auto r = h.Feed(p, size / 2);
  if (r == mobrelle::HttpHeaderReader::Result::NeedMore) r = h.Feed(p + size / 2, size - size / 2);
  if (r == mobrelle::HttpHeaderReader::Result::NeedMore) r = h.Closed();
  mobrelle::HttpTarget t = mobrelle::SplitHttpUrl(std::string(p, size));
  mobrelle::HttpRedirect(t, h.location);
  mobrelle::HttpHtmlDocumentName(mobrelle::HttpDocumentName(t.path), h.contentType);
  return 0;
}
