// The methods of PKZIP 1.x, per PKWARE's APPNOTE: shrink (1, dynamic LZW with partial clearing),
// reduce (2 to 5, follower sets then DLE-coded repeats) and implode (6, Shannon-Fano trees over a
// 4 or 8 KiB window). Each stops once the member's uncompressed size is produced; compressed data
// that ends before that raises code 29.

#include <algorithm>
#include <vector>

#include "inspect/zip/zip_codec.h"

namespace mobrelle::zip::detail {

// ---- Shrink ----

void Unshrink(ChunkInput& input, MemberOutput& out) {
  constexpr int kMaxBits = 13, kTable = 1 << kMaxBits, kFirstFree = 257;
  BitReader br(input, BitReader::OnEnd::kReadError);
  std::vector<int16_t> prefix(kTable, -1);
  std::vector<uint8_t> suffix(kTable, 0), used(kTable, 0), parent(kTable);
  for (int i = 0; i < 256; ++i) {
    suffix[i] = static_cast<uint8_t>(i);
    used[i] = 1;
  }
  int codeSize = 9, nextFree = kFirstFree, previous = -1;
  uint8_t previousFirst = 0;
  auto addEntry = [&](int pre, uint8_t c) -> int {
    while (nextFree < kTable && used[nextFree]) ++nextFree;
    if (nextFree == kTable) return -1;
    prefix[nextFree] = static_cast<int16_t>(pre);
    suffix[nextFree] = c;
    used[nextFree] = 1;
    return nextFree++;
  };
  std::vector<uint8_t> stack(kTable);
  while (!out.Full()) {
    const int code = static_cast<int>(br.Bits(codeSize));
    if (code == 256) {
      const unsigned sub = br.Bits(codeSize);
      if (sub == 1) {
        if (codeSize >= kMaxBits) ThrowCorrupt("shrink code size past 13 bits");
        ++codeSize;
      } else if (sub == 2) {
        // Partial clear: every code that is no other code's prefix becomes free again.
        std::fill(parent.begin(), parent.end(), 0);
        for (int i = kFirstFree; i < kTable; ++i)
          if (used[i] && prefix[i] >= 0) parent[prefix[i]] = 1;
        for (int i = kFirstFree; i < kTable; ++i) {
          if (!parent[i]) {
            used[i] = 0;
            prefix[i] = -1;
          }
        }
        nextFree = kFirstFree;
      } else {
        ThrowCorrupt("invalid shrink control code");
      }
      continue;
    }
    int effective = code;
    bool added = false;
    if (!used[code]) {
      // A code not defined yet: the string of the previous code followed by its own first byte.
      if (previous < 0) ThrowCorrupt("shrink data starts with an undefined code");
      effective = addEntry(previous, previousFirst);
      if (effective < 0) ThrowCorrupt("shrink table overflow");
      added = true;
    }
    size_t n = 0;
    for (int e = effective; e >= 0; e = prefix[e]) {
      if (n == stack.size()) ThrowCorrupt("shrink code chain loops");
      stack[n++] = suffix[e];
    }
    const uint8_t first = stack[n - 1];
    if (previous >= 0 && !added) addEntry(previous, first);
    previous = effective;
    previousFirst = first;
    std::reverse(stack.begin(), stack.begin() + static_cast<std::ptrdiff_t>(n));
    out.Write(stack.data(), n);
  }
}

// ---- Reduce ----

void Unreduce(ChunkInput& input, MemberOutput& out, int factor) {
  constexpr uint8_t kDle = 144;
  BitReader br(input, BitReader::OnEnd::kReadError);
  uint8_t followers[256][32];
  uint8_t count[256], indexBits[256];
  for (int j = 255; j >= 0; --j) {
    const unsigned n = br.Bits(6);
    if (n > 32) ThrowCorrupt("follower set larger than 32");
    count[j] = static_cast<uint8_t>(n);
    indexBits[j] = n > 16 ? 5 : n > 8 ? 4 : n > 4 ? 3 : n > 2 ? 2 : n > 0 ? 1 : 0;
    for (unsigned k = 0; k < n; ++k) followers[j][k] = static_cast<uint8_t>(br.Bits(8));
  }
  uint8_t last = 0;
  auto nextByte = [&]() -> uint8_t {
    uint8_t c;
    if (count[last] == 0 || br.Bits(1)) {
      c = static_cast<uint8_t>(br.Bits(8));
    } else {
      const unsigned i = br.Bits(indexBits[last]);
      if (i >= count[last]) ThrowCorrupt("follower index out of its set");
      c = followers[last][i];
    }
    last = c;
    return c;
  };
  const unsigned lengthBits = 8 - static_cast<unsigned>(factor);
  const unsigned lengthMask = (1u << lengthBits) - 1;
  LzWindow w(out, 4096, lengthMask + 255 + 3, /*allowDirect=*/false, /*zeroHistory=*/true);
  while (!w.Complete()) {
    w.MakeRoom();
    const uint8_t c = nextByte();
    if (c != kDle) {
      w.buf()[w.pos_++] = c;
      continue;
    }
    const uint8_t v = nextByte();
    if (v == 0) {
      w.buf()[w.pos_++] = kDle;
      continue;
    }
    size_t length = v & lengthMask;
    if (length == lengthMask) length += nextByte();
    length += 3;
    const size_t distance = (static_cast<size_t>(v >> lengthBits) << 8) + nextByte() + 1;
    w.CopyBack(distance, length);  // zeros stand before the first byte
  }
  w.Finish();
}

// ---- Implode ----

namespace {

// A Shannon-Fano code read from its packed description, decoded through one table indexed by the
// next maxLength bits. The first bit read is the code's most significant bit.
class ShannonFano {
 public:
  void Read(BitReader& br, unsigned values) {
    std::vector<uint8_t> lengths(values, 0);
    const unsigned bytes = br.Bits(8) + 1;
    unsigned pos = 0;
    for (unsigned i = 0; i < bytes; ++i) {
      const unsigned b = br.Bits(8);
      const unsigned n = (b >> 4) + 1, length = (b & 15) + 1;
      if (pos + n > values) ThrowCorrupt("Shannon-Fano tree describes too many values");
      std::fill(lengths.begin() + pos, lengths.begin() + pos + n, static_cast<uint8_t>(length));
      pos += n;
    }
    // Codes: values sorted by length (stable), the longest first, counting up by 2^(16 - length).
    std::vector<unsigned> order(values);
    for (unsigned i = 0; i < values; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](unsigned a, unsigned b) { return lengths[a] < lengths[b]; });
    std::vector<uint32_t> codes(values);
    uint32_t code = 0, increment = 0;
    unsigned lastLength = 0;
    for (unsigned i = values; i-- > 0;) {
      code += increment;
      const unsigned len = lengths[order[i]];
      if (len != lastLength) {
        lastLength = len;
        increment = 1u << (16 - len);
      }
      codes[order[i]] = code;
    }
    maxLength_ = 0;
    for (unsigned i = 0; i < values; ++i) maxLength_ = std::max<unsigned>(maxLength_, lengths[i]);
    table_.assign(size_t{1} << maxLength_, Entry{0, 0});
    for (unsigned v = 0; v < values; ++v) {
      const unsigned len = lengths[v];
      if (!len) continue;
      const uint32_t c = (codes[v] & 0xFFFF) >> (16 - len);
      if (codes[v] > 0xFFFF) ThrowCorrupt("Shannon-Fano code overflow");
      unsigned rev = 0;
      for (unsigned i = 0; i < len; ++i) rev |= ((c >> (len - 1 - i)) & 1) << i;
      for (size_t i = rev; i < table_.size(); i += size_t{1} << len) {
        if (table_[i].length) ThrowCorrupt("Shannon-Fano codes overlap");
        table_[i] = Entry{static_cast<uint16_t>(v), static_cast<uint8_t>(len)};
      }
    }
  }

  unsigned Decode(BitReader& br) const {
    if (br.Available() < maxLength_) br.Refill();
    const Entry e = table_[br.Peek(maxLength_)];
    if (!e.length) ThrowCorrupt("invalid Shannon-Fano code");
    br.Drop(e.length);
    return e.value;
  }

 private:
  struct Entry {
    uint16_t value;
    uint8_t length;
  };
  std::vector<Entry> table_;
  unsigned maxLength_ = 0;
};

}  // namespace

void Explode(ChunkInput& input, MemberOutput& out, bool dict8k, bool threeTrees) {
  BitReader br(input, BitReader::OnEnd::kReadError);
  ShannonFano literals, lengths, distances;
  if (threeTrees) literals.Read(br, 256);
  lengths.Read(br, 64);
  distances.Read(br, 64);
  const unsigned lowBits = dict8k ? 7 : 6;
  const size_t minMatch = threeTrees ? 3 : 2;
  LzWindow w(out, 8192, 63 + 255 + 3, /*allowDirect=*/false, /*zeroHistory=*/true);
  while (!w.Complete()) {
    w.MakeRoom();
    if (br.Bits(1)) {
      const unsigned c = threeTrees ? literals.Decode(br) : br.Bits(8);
      w.buf()[w.pos_++] = static_cast<uint8_t>(c);
      continue;
    }
    const unsigned low = br.Bits(lowBits);
    const size_t distance = ((static_cast<size_t>(distances.Decode(br)) << lowBits) | low) + 1;
    size_t length = lengths.Decode(br);
    if (length == 63) length += br.Bits(8);
    length += minMatch;
    w.CopyBack(distance, length);  // zeros stand before the first byte
  }
  w.Finish();
}

}  // namespace mobrelle::zip::detail
