// The decoders alone on arbitrary compressed data. The first byte picks the method (and flags for
// implode), the next two the size to produce. Deflate is also decoded by zlib: when zlib reads the
// stream to its end within the size, our own inflater must produce the very same bytes.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "inspect/zip/zip_codec.h"
#include "inspect/zip/zip_source.h"

using namespace mobrelle::zip;

namespace {

struct Collect : TZipStream {
  std::string bytes;
  void Write(const uint8_t* d, size_t n) override { bytes.append(reinterpret_cast<const char*>(d), n); }
};

bool ZlibInflate(const uint8_t* in, size_t size, size_t cap, std::string& out) {
  z_stream zs{};
  if (inflateInit2(&zs, -15) != Z_OK) return false;
  out.assign(cap + 1, '\0');
  zs.next_in = const_cast<Bytef*>(in);
  zs.avail_in = static_cast<uInt>(size);
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  inflateEnd(&zs);
  return rc == Z_STREAM_END && out.size() <= cap;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const unsigned selector = data[0];
  const size_t cap = static_cast<size_t>(data[1] | (data[2] << 8)) * 16;
  const uint8_t* in = data + 3;
  const size_t inSize = size - 3;
  const std::string_view compressed(reinterpret_cast<const char*>(in), inSize);
  auto src = detail::MemorySource(compressed);
  const unsigned method = selector % 8;  // 0 shrink, 1-4 reduce, 5 implode, 6 deflate, 7 deflate64
  for (bool direct : {false, true}) {
    detail::ChunkInput input(*src, 0, inSize, 4096);
    Collect plain;
    TZipMemoryStream memory;
    TZipStream& sink = direct ? static_cast<TZipStream&>(memory) : plain;
    detail::MemberOutput out(sink, cap);
    bool ok = true;
    try {
      switch (method) {
        case 0:
          detail::Unshrink(input, out);
          break;
        case 1:
        case 2:
        case 3:
        case 4:
          detail::Unreduce(input, out, static_cast<int>(method));
          break;
        case 5:
          detail::Explode(input, out, selector & 0x10, selector & 0x20);
          break;
        case 6:
          detail::InflateOwn(input, out, false);
          break;
        default:
          detail::InflateOwn(input, out, true);
          break;
      }
    } catch (const ZipError&) {
      ok = false;
    }
    const std::string produced = direct ? memory.ToString() : plain.bytes;
    if (produced.size() > cap || produced.size() != out.Produced()) std::abort();
    if (method == 6) {
      std::string expected;
      if (ZlibInflate(in, inSize, cap, expected)) {
        if (!ok || produced != expected) std::abort();
      }
    }
  }
  return 0;
}
