// Inflating: our own inflater for Deflate (RFC 1951) and Deflate64 (method 9: 64 KiB window, length
// code 285 with 16 extra bits, distance codes 30 and 31), and zlib's streaming inflate for method 8.

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

#include "inspect/zip/zip_codec.h"

namespace mobrelle::zip::detail {
namespace {

// One decoding table entry. length 0 marks a bit pattern that is no code. sub > 0: a pointer to a
// subtable of 2^sub entries at `value`, reached after `length` (the root bits) bits.
struct HuffEntry {
  uint16_t value;
  uint8_t length;
  uint8_t sub;
};

unsigned Reverse(unsigned code, unsigned length) {
  unsigned r = 0;
  for (unsigned i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1);
  return r;
}

class Huffman {
 public:
  // Canonical codes from code lengths (at most 15; 0 = unused). False for an over-subscribed set;
  // an incomplete set leaves patterns that are no code.
  bool Build(const uint8_t* lengths, unsigned count, unsigned rootBits) {
    root_ = rootBits;
    unsigned perLength[16] = {};
    for (unsigned s = 0; s < count; ++s) perLength[lengths[s]]++;
    perLength[0] = 0;
    int left = 1;
    for (unsigned len = 1; len <= 15; ++len) {
      left = (left << 1) - static_cast<int>(perLength[len]);
      if (left < 0) return false;
    }
    unsigned next[16] = {};
    unsigned code = 0;
    for (unsigned len = 1; len <= 15; ++len) {
      code = (code + perLength[len - 1]) << 1;
      next[len] = code;
    }
    const unsigned rootSize = 1u << root_;
    table_.assign(rootSize, HuffEntry{0, 0, 0});
    unsigned reversed[320];
    uint8_t subBits[1 << 11] = {};
    for (unsigned s = 0; s < count; ++s) {
      const unsigned len = lengths[s];
      if (!len) continue;
      reversed[s] = Reverse(next[len]++, len);
      if (len > root_) {
        uint8_t& sb = subBits[reversed[s] & (rootSize - 1)];
        sb = std::max<uint8_t>(sb, static_cast<uint8_t>(len - root_));
      }
    }
    for (unsigned prefix = 0; prefix < rootSize; ++prefix) {
      if (!subBits[prefix]) continue;
      table_[prefix] = HuffEntry{static_cast<uint16_t>(table_.size()), static_cast<uint8_t>(root_), subBits[prefix]};
      table_.resize(table_.size() + (size_t{1} << subBits[prefix]), HuffEntry{0, 0, 0});
    }
    for (unsigned s = 0; s < count; ++s) {
      const unsigned len = lengths[s];
      if (!len) continue;
      const unsigned rev = reversed[s];
      if (len <= root_) {
        for (unsigned i = rev; i < rootSize; i += 1u << len)
          table_[i] = HuffEntry{static_cast<uint16_t>(s), static_cast<uint8_t>(len), 0};
      } else {
        const HuffEntry& head = table_[rev & (rootSize - 1)];
        const unsigned base = head.value, subSize = 1u << head.sub, rest = len - root_;
        for (unsigned i = rev >> root_; i < subSize; i += 1u << rest)
          table_[base + i] = HuffEntry{static_cast<uint16_t>(s), static_cast<uint8_t>(rest), 0};
      }
    }
    return true;
  }

  unsigned Decode(BitReader& br) const {
    if (br.Available() < 15) br.Refill();
    uint64_t bits = br.Peek();
    HuffEntry e = table_[bits & ((1u << root_) - 1)];
    if (e.sub) {
      br.Drop(root_);
      bits >>= root_;
      e = table_[e.value + (bits & ((1u << e.sub) - 1))];
    }
    if (!e.length) ThrowCorrupt("invalid Huffman code");
    br.Drop(e.length);
    return e.value;
  }

 private:
  std::vector<HuffEntry> table_;
  unsigned root_ = 0;
};

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint32_t kDistBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
                                    49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
                                    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr uint8_t kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

void BuildFixed(Huffman& lit, Huffman& dist) {
  uint8_t lengths[288];
  std::fill(lengths, lengths + 144, 8);
  std::fill(lengths + 144, lengths + 256, 9);
  std::fill(lengths + 256, lengths + 280, 7);
  std::fill(lengths + 280, lengths + 288, 8);
  lit.Build(lengths, 288, 10);
  std::fill(lengths, lengths + 32, 5);
  dist.Build(lengths, 32, 8);
}

void ReadDynamic(BitReader& br, Huffman& lit, Huffman& dist, bool deflate64) {
  const unsigned hlit = br.Bits(5) + 257, hdist = br.Bits(5) + 1, hclen = br.Bits(4) + 4;
  if (hlit > 286 || (!deflate64 && hdist > 30)) ThrowCorrupt("too many length or distance codes");
  uint8_t clLengths[19] = {};
  for (unsigned i = 0; i < hclen; ++i) clLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(br.Bits(3));
  Huffman cl;
  if (!cl.Build(clLengths, 19, 7)) ThrowCorrupt("invalid code length codes");
  uint8_t lengths[286 + 32] = {};
  const unsigned total = hlit + hdist;
  for (unsigned i = 0; i < total;) {
    const unsigned sym = cl.Decode(br);
    if (sym < 16) {
      lengths[i++] = static_cast<uint8_t>(sym);
      continue;
    }
    unsigned repeat;
    uint8_t value = 0;
    if (sym == 16) {
      if (i == 0) ThrowCorrupt("repeat with no previous length");
      value = lengths[i - 1];
      repeat = 3 + br.Bits(2);
    } else if (sym == 17) {
      repeat = 3 + br.Bits(3);
    } else {
      repeat = 11 + br.Bits(7);
    }
    if (i + repeat > total) ThrowCorrupt("code lengths overflow");
    std::fill(lengths + i, lengths + i + repeat, value);
    i += repeat;
  }
  if (!lengths[256]) ThrowCorrupt("no end-of-block code");
  if (!lit.Build(lengths, hlit, 10) || !dist.Build(lengths + hlit, hdist, 8)) ThrowCorrupt("invalid code lengths");
}

// Copies a match inside the window; the source may overlap the destination.
inline void CopyMatch(uint8_t* dst, size_t dist, size_t len, bool roomForOvercopy) {
  const uint8_t* src = dst - dist;
  if (dist >= 8 && roomForOvercopy) {
    uint8_t* end = dst + len;
    do {
      std::memcpy(dst, src, 8);
      dst += 8;
      src += 8;
    } while (dst < end);
  } else if (dist == 1) {
    std::memset(dst, *src, len);
  } else {
    for (size_t i = 0; i < len; ++i) dst[i] = src[i];
  }
}

}  // namespace

void InflateOwn(ChunkInput& input, MemberOutput& out, bool deflate64) {
  BitReader br(input, BitReader::OnEnd::kCorrupt);
  const size_t maxMatch = deflate64 ? 65538 : 258;
  LzWindow w(out, deflate64 ? 65536 : 32768, maxMatch, /*allowDirect=*/true, /*zeroHistory=*/false);
  Huffman fixedLit, fixedDist, lit, dist;
  bool haveFixed = false;
  const unsigned distCodes = deflate64 ? 32 : 30;
  bool last = false;
  while (!last && !w.Complete()) {
    last = br.Bits(1);
    const unsigned type = br.Bits(2);
    if (type == 0) {
      br.AlignToByte();
      const unsigned len = br.Bits(16), nlen = br.Bits(16);
      if (len != (~nlen & 0xFFFF)) ThrowCorrupt("stored block length mismatch");
      w.MakeRoom();
      const uint64_t remaining = out.Remaining() - (w.pos_ - w.start_);
      br.CopyBytes(std::min<uint64_t>(len, remaining), [&](const uint8_t* data, size_t size) {
        while (size) {
          w.MakeRoom();
          const size_t n = std::min(size, w.Left());
          if (!n) return;
          std::memcpy(w.buf() + w.pos_, data, n);
          w.pos_ += n;
          data += n;
          size -= n;
        }
      });
      continue;
    }
    if (type == 3) ThrowCorrupt("invalid block type");
    const Huffman* litTable = &lit;
    const Huffman* distTable = &dist;
    if (type == 1) {
      if (!haveFixed) BuildFixed(fixedLit, fixedDist);
      haveFixed = true;
      litTable = &fixedLit;
      distTable = &fixedDist;
    } else {
      ReadDynamic(br, lit, dist, deflate64);
    }
    for (;;) {
      w.MakeRoom();
      const unsigned sym = litTable->Decode(br);
      if (sym < 256) {
        if (!w.Left()) break;  // the member's size is reached
        w.buf()[w.pos_++] = static_cast<uint8_t>(sym);
        continue;
      }
      if (sym == 256) break;
      const unsigned li = sym - 257;
      if (li >= 29) ThrowCorrupt("invalid length code");
      size_t length;
      if (li == 28 && deflate64) {
        length = 3 + br.Bits(16);
      } else {
        length = kLengthBase[li] + (kLengthExtra[li] ? br.Bits(kLengthExtra[li]) : 0);
      }
      const unsigned ds = distTable->Decode(br);
      if (ds >= distCodes) ThrowCorrupt("invalid distance code");
      const size_t distance = kDistBase[ds] + (kDistExtra[ds] ? br.Bits(kDistExtra[ds]) : 0);
      if (distance > w.pos_) ThrowCorrupt("distance too far back");
      const size_t n = std::min(length, w.Left());
      CopyMatch(w.buf() + w.pos_, distance, n, w.pos_ + n + 8 <= w.capacity_);
      w.pos_ += n;
      if (n < length) break;  // the member's size is reached
    }
  }
  w.Finish();
}

void InflateZlib(ChunkInput& input, MemberOutput& out) {
  z_stream zs{};
  if (inflateInit2(&zs, -15) != Z_OK) throw std::bad_alloc();
  struct Guard {
    z_stream* zs;
    ~Guard() { inflateEnd(zs); }
  } guard{&zs};
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[1 << 16]);
  const uint8_t* chunk = nullptr;
  size_t chunkLeft = 0;
  bool inputEnded = false;
  while (!out.Full()) {
    if (zs.avail_in == 0 && !inputEnded) {
      if (chunkLeft == 0 && !input.Next(chunk, chunkLeft)) inputEnded = true;
      if (!inputEnded) {
        const size_t take = std::min<size_t>(chunkLeft, UINT_MAX);
        zs.next_in = const_cast<Bytef*>(chunk);
        zs.avail_in = static_cast<uInt>(take);
        chunk += take;
        chunkLeft -= take;
      }
    }
    zs.next_out = buffer.get();
    zs.avail_out = static_cast<uInt>(std::min<uint64_t>(1 << 16, out.Remaining()));
    const int ret = inflate(&zs, Z_NO_FLUSH);
    out.Write(buffer.get(), static_cast<size_t>(zs.next_out - buffer.get()));
    if (ret == Z_STREAM_END) return;
    if (ret == Z_MEM_ERROR) throw std::bad_alloc();
    if (ret == Z_DATA_ERROR || ret == Z_NEED_DICT || ret == Z_STREAM_ERROR)
      ThrowCorrupt(zs.msg ? zs.msg : "corrupt deflate data");
    if (ret == Z_BUF_ERROR && inputEnded && zs.avail_in == 0) ThrowCorrupt("compressed data ends too early");
  }
}

}  // namespace mobrelle::zip::detail
