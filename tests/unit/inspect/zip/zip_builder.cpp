#include "tests/unit/inspect/zip/zip_builder.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace mobrelle::zip::test {
namespace {

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

}  // namespace

uint32_t Crc32(std::string_view data) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string RawDeflate(std::string_view data, int level) {
  z_stream zs{};
  if (deflateInit2(&zs, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 1024, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  if (deflate(&zs, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

std::string BuildZip(const std::vector<MemberSpec>& members, const std::string& comment) {
  ArchiveSpec spec;
  spec.members = members;
  spec.comment = comment;
  return BuildZip(spec);
}

std::string BuildZip(const ArchiveSpec& spec) {
  std::string out = spec.prefix, central;
  const size_t base = spec.prefix.size();
  for (const MemberSpec& m : spec.members) {
    std::string stored;
    if (m.compressed) {
      stored = *m.compressed;
    } else if (m.method == 0) {
      stored = m.data;
    } else if (m.method == 8) {
      stored = RawDeflate(m.data);
    } else {
      throw std::runtime_error("MemberSpec: method needs its compressed bytes");
    }
    const uint32_t crc = m.crc.value_or(Crc32(m.data));
    const uint32_t usize = m.uncompressedSize.value_or(static_cast<uint32_t>(m.data.size()));
    const uint32_t csize = static_cast<uint32_t>(stored.size());
    const uint16_t flags = static_cast<uint16_t>(m.flags | (m.dataDescriptor ? 8 : 0));
    const uint32_t offset = static_cast<uint32_t>(out.size() - base);
    Put32(out, 0x04034B50);
    Put16(out, m.versionNeeded);
    Put16(out, flags);
    Put16(out, m.method);
    Put16(out, m.time);
    Put16(out, m.date);
    Put32(out, m.dataDescriptor ? 0 : crc);
    Put32(out, m.dataDescriptor ? 0 : csize);
    Put32(out, m.dataDescriptor ? 0 : usize);
    Put16(out, static_cast<uint32_t>(m.name.size()));
    Put16(out, static_cast<uint32_t>(m.extra.size()));
    out += m.name;
    out += m.extra;
    out += stored;
    if (m.dataDescriptor) {
      Put32(out, 0x08074B50);
      Put32(out, crc);
      Put32(out, csize);
      Put32(out, usize);
    }
    Put32(central, 0x02014B50);
    Put16(central, m.versionMadeBy);
    Put16(central, m.versionNeeded);
    Put16(central, flags);
    Put16(central, m.method);
    Put16(central, m.time);
    Put16(central, m.date);
    Put32(central, crc);
    Put32(central, csize);
    Put32(central, usize);
    Put16(central, static_cast<uint32_t>(m.name.size()));
    Put16(central, static_cast<uint32_t>(m.extra.size()));
    Put16(central, static_cast<uint32_t>(m.comment.size()));
    Put16(central, m.diskNumberStart);
    Put16(central, 0);
    Put32(central, m.externalAttributes);
    Put32(central, offset);
    central += m.name;
    central += m.extra;
    central += m.comment;
  }
  const uint32_t directoryOffset = static_cast<uint32_t>(out.size() - base);
  out += central;
  Put32(out, 0x06054B50);
  Put16(out, spec.thisDisk);
  Put16(out, spec.thisDisk);
  Put16(out, static_cast<uint32_t>(spec.members.size()));
  Put16(out, static_cast<uint32_t>(spec.members.size()));
  Put32(out, static_cast<uint32_t>(central.size()));
  Put32(out, directoryOffset);
  Put16(out, static_cast<uint32_t>(spec.comment.size()));
  out += spec.comment;
  out += spec.trailing;
  return out;
}

void BitWriter::Put(uint32_t value, unsigned bits) {
  acc_ |= static_cast<uint64_t>(value & ((uint64_t{1} << bits) - 1)) << count_;
  count_ += bits;
  while (count_ >= 8) {
    out_ += static_cast<char>(acc_ & 0xFF);
    acc_ >>= 8;
    count_ -= 8;
  }
}

void BitWriter::PutCode(uint32_t code, unsigned bits) {
  uint32_t reversed = 0;
  for (unsigned i = 0; i < bits; ++i) reversed |= ((code >> i) & 1) << (bits - 1 - i);
  Put(reversed, bits);
}

std::string BitWriter::Finish() {
  if (count_) out_ += static_cast<char>(acc_ & 0xFF);
  acc_ = 0;
  count_ = 0;
  return std::move(out_);
}

namespace {

// Greedy LZ77 over hash chains of 3-byte prefixes; calls literal(c) and match(distance, length).
template <typename Literal, typename Match>
void Lz77(std::string_view data, size_t window, size_t minLength, size_t maxLength, bool allowOverlap, int chain,
          Literal literal, Match match) {
  const size_t n = data.size();
  constexpr size_t kHash = 1 << 16;
  std::vector<int64_t> head(kHash, -1), prev(n ? n : 1, -1);
  auto hash = [&](size_t i) {
    return ((static_cast<uint8_t>(data[i]) << 10) ^ (static_cast<uint8_t>(data[i + 1]) << 5) ^
            static_cast<uint8_t>(data[i + 2])) &
           (kHash - 1);
  };
  auto insert = [&](size_t i) {
    if (i + 2 >= n) return;
    const size_t h = hash(i);
    prev[i] = head[h];
    head[h] = static_cast<int64_t>(i);
  };
  size_t i = 0;
  while (i < n) {
    size_t bestLength = 0, bestDistance = 0;
    if (i + 2 < n) {
      int64_t candidate = head[hash(i)];
      for (int tries = 0; candidate >= 0 && tries < chain; ++tries, candidate = prev[static_cast<size_t>(candidate)]) {
        const size_t distance = i - static_cast<size_t>(candidate);
        if (distance > window) break;
        const size_t limit = std::min(maxLength, allowOverlap ? n - i : std::min(n - i, distance));
        size_t length = 0;
        while (length < limit && data[static_cast<size_t>(candidate) + length] == data[i + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = distance;
          if (length == limit) break;
        }
      }
    }
    if (bestLength >= minLength && match(bestDistance, bestLength)) {
      for (size_t k = 0; k < bestLength; ++k) insert(i + k);
      i += bestLength;
    } else {
      literal(static_cast<uint8_t>(data[i]));
      insert(i);
      ++i;
    }
  }
}

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint32_t kDistBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
                                    49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
                                    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr uint8_t kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

void PutFixedSymbol(BitWriter& w, unsigned sym) {
  if (sym < 144)
    w.PutCode(0x30 + sym, 8);
  else if (sym < 256)
    w.PutCode(0x190 + (sym - 144), 9);
  else if (sym < 280)
    w.PutCode(sym - 256, 7);
  else
    w.PutCode(0xC0 + (sym - 280), 8);
}

}  // namespace

std::string FixedHuffmanDeflate(std::string_view data, bool deflate64) {
  BitWriter w;
  w.Put(1, 1);  // final block
  w.Put(1, 2);  // fixed Huffman codes
  Lz77(
      data, deflate64 ? 65536 : 32768, 3, deflate64 ? 65538 : 258, /*allowOverlap=*/true, 32,
      [&](uint8_t c) { PutFixedSymbol(w, c); },
      [&](size_t distance, size_t length) {
        if (deflate64 && length > 258) {
          PutFixedSymbol(w, 285);
          w.Put(static_cast<uint32_t>(length - 3), 16);
        } else {
          unsigned li = 28;
          while (li > 0 && kLengthBase[li] > length) --li;
          if (!deflate64 && length == 258) li = 28;
          if (deflate64 && li == 28) li = 27;  // 258 is code 284 with extra 31 in Deflate64
          PutFixedSymbol(w, 257 + li);
          if (kLengthExtra[li]) w.Put(static_cast<uint32_t>(length - kLengthBase[li]), kLengthExtra[li]);
        }
        unsigned di = deflate64 ? 31 : 29;
        while (kDistBase[di] > distance) --di;
        w.PutCode(di, 5);
        if (kDistExtra[di]) w.Put(static_cast<uint32_t>(distance - kDistBase[di]), kDistExtra[di]);
        return true;
      });
  PutFixedSymbol(w, 256);
  return w.Finish();
}

std::string Reduce(std::string_view data, int factor) {
  constexpr uint8_t kDle = 144;
  const unsigned lengthBits = 8 - static_cast<unsigned>(factor);
  const size_t lengthMask = (size_t{1} << lengthBits) - 1;
  const size_t maxLength = lengthMask + 255 + 3;
  const size_t maxDistance = ((size_t{1} << factor) - 1) * 256 + 256;
  // First stage: the intermediate byte stream of literals and DLE-coded repeats.
  std::string mid;
  Lz77(
      data, maxDistance, 3, maxLength, /*allowOverlap=*/false, 32,
      [&](uint8_t c) {
        mid += static_cast<char>(c);
        if (c == kDle) mid += '\0';
      },
      [&](size_t distance, size_t length) {
        const size_t len = length - 3, dist = distance - 1;
        const uint8_t v = static_cast<uint8_t>(std::min(len, lengthMask) | ((dist >> 8) << lengthBits));
        if (v == 0) return false;  // DLE 0 would read as a literal DLE
        mid += static_cast<char>(kDle);
        mid += static_cast<char>(v);
        if (len >= lengthMask) mid += static_cast<char>(len - lengthMask);
        mid += static_cast<char>(dist & 0xFF);
        return true;
      });
  // Second stage: follower sets of up to 32 bytes from the pairs of the intermediate stream.
  std::vector<std::vector<size_t>> pairs(256, std::vector<size_t>(256, 0));
  uint8_t last = 0;
  for (const char ch : mid) {
    pairs[last][static_cast<uint8_t>(ch)]++;
    last = static_cast<uint8_t>(ch);
  }
  std::vector<std::vector<uint8_t>> sets(256);
  for (int j = 0; j < 256; ++j) {
    std::vector<int> order(256);
    for (int k = 0; k < 256; ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return pairs[j][a] > pairs[j][b]; });
    // Sizes vary with j so that every index width (1 to 5 bits) and empty sets are exercised.
    const size_t want = static_cast<size_t>(j % 33);
    for (size_t k = 0; k < want && pairs[j][order[k]]; ++k) sets[j].push_back(static_cast<uint8_t>(order[k]));
  }
  BitWriter w;
  for (int j = 255; j >= 0; --j) {
    w.Put(static_cast<uint32_t>(sets[j].size()), 6);
    for (uint8_t f : sets[j]) w.Put(f, 8);
  }
  auto indexBits = [](size_t n) -> unsigned { return n > 16 ? 5 : n > 8 ? 4 : n > 4 ? 3 : n > 2 ? 2 : n > 0 ? 1 : 0; };
  last = 0;
  for (const char ch : mid) {
    const uint8_t c = static_cast<uint8_t>(ch);
    const std::vector<uint8_t>& set = sets[last];
    if (set.empty()) {
      w.Put(c, 8);
    } else {
      const auto it = std::find(set.begin(), set.end(), c);
      if (it == set.end()) {
        w.Put(1, 1);
        w.Put(c, 8);
      } else {
        w.Put(0, 1);
        w.Put(static_cast<uint32_t>(it - set.begin()), indexBits(set.size()));
      }
    }
    last = c;
  }
  return w.Finish();
}

}  // namespace mobrelle::zip::test
