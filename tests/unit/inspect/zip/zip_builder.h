#pragma once
// Test-side writers: ZIP archives with any field we like, and small encoders for the methods no
// tool at hand writes (reduce) or writes only in one way (Deflate64 with long matches). Shared by
// the unit tests, the fuzz seeds and the benchmark.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mobrelle::zip::test {

struct MemberSpec {
  std::string name;                       // stored bytes
  std::string data;                       // uncompressed bytes (for the CRC and the sizes)
  uint16_t method = 0;                    // 0 stored, 8 deflated (zlib), others need `compressed`
  std::optional<std::string> compressed;  // the member's data as stored; default from `method`
  uint16_t flags = 0;
  uint16_t versionMadeBy = 0x031E;  // Unix, 3.0
  uint16_t versionNeeded = 20;
  std::optional<uint32_t> crc;               // default: the CRC of `data`
  std::optional<uint32_t> uncompressedSize;  // default: data.size()
  bool dataDescriptor = false;               // flag bit 3, zeros in the local header, a PK\7\8 descriptor
  std::string extra;
  std::string comment;
  uint32_t externalAttributes = 0;
  uint16_t time = 0x5A00;  // 11:16:00
  uint16_t date = 0x5B8A;  // 2025-12-10
  uint16_t diskNumberStart = 0;
};

struct ArchiveSpec {
  std::vector<MemberSpec> members;
  std::string comment;
  std::string prefix;    // bytes before the archive (offsets not adjusted)
  std::string trailing;  // bytes after the end record
  uint16_t thisDisk = 0;
};

std::string BuildZip(const ArchiveSpec& spec);
std::string BuildZip(const std::vector<MemberSpec>& members, const std::string& comment = "");

uint32_t Crc32(std::string_view data);
// Raw deflate (RFC 1951) by zlib.
std::string RawDeflate(std::string_view data, int level = 6);
// LZ77 with greedy matching and fixed Huffman codes, one final block. deflate64: 64 KiB window,
// matches up to 65538 bytes (length code 285 with 16 extra bits), distance codes 30 and 31.
std::string FixedHuffmanDeflate(std::string_view data, bool deflate64);
// Reduce (methods 2 to 5, factor 1 to 4) from the APPNOTE description: follower sets from the
// byte pairs, then DLE-coded repeats found greedily.
std::string Reduce(std::string_view data, int factor);

// An LSB-first bit writer, for hand-made streams.
class BitWriter {
 public:
  void Put(uint32_t value, unsigned bits);
  // A Huffman code given most significant bit first.
  void PutCode(uint32_t code, unsigned bits);
  std::string Finish();

 private:
  std::string out_;
  uint64_t acc_ = 0;
  unsigned count_ = 0;
};

}  // namespace mobrelle::zip::test
