#pragma once
// What the decoders share: the bounded, CRC-checked output of one member, the LSB-first bit reader
// and the sliding window of the LZ77 methods. Internal to the ZIP reader.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "inspect/zip/zip_crc32.h"
#include "inspect/zip/zip_errors.h"
#include "inspect/zip/zip_source.h"
#include "inspect/zip/zip_stream.h"

namespace mobrelle::zip::detail {

// The bytes one member produces: never more than `cap` (the member's uncompressed size), with their
// CRC-32, written to the caller's stream.
class MemberOutput {
 public:
  MemberOutput(TZipStream& stream, uint64_t cap) : stream_(stream), cap_(cap) {}
  // Accepts what fits below the cap; returns how many bytes were taken.
  size_t Write(const uint8_t* data, size_t size) {
    if (size > cap_ - produced_) size = static_cast<size_t>(cap_ - produced_);
    if (size) {
      stream_.Write(data, size);
      crc_ = ZipCrc32(crc_, data, size);
      produced_ += size;
    }
    return size;
  }
  // Room for all the remaining bytes in place, or nullptr (then Write is used).
  uint8_t* ReserveAll() { return stream_.Reserve(static_cast<size_t>(cap_ - produced_)); }
  // After ReserveAll: `size` bytes were written in place.
  void CommitDirect(const uint8_t* data, size_t size) {
    stream_.Commit(size);
    crc_ = ZipCrc32(crc_, data, size);
    produced_ += size;
  }
  uint64_t Remaining() const { return cap_ - produced_; }
  bool Full() const { return produced_ == cap_; }
  uint64_t Produced() const { return produced_; }
  uint32_t Crc() const { return crc_; }

 private:
  TZipStream& stream_;
  uint64_t cap_;
  uint64_t produced_ = 0;
  uint32_t crc_ = 0;
};

// Bits read least significant first, as every ZIP method packs them. Past the end of the input the
// reader supplies zero bits for peeking; consuming one of them raises the truncation error: code 29
// for the old methods, corrupt data (ecOther) for deflate.
class BitReader {
 public:
  enum class OnEnd { kReadError, kCorrupt };
  BitReader(ChunkInput& input, OnEnd onEnd) : input_(input), onEnd_(onEnd) {}

  // Tops the buffer up to at least 56 bits. The bits above count_ are always copies of the next
  // input bytes (the refill reads 8 bytes and keeps only whole ones), so merging them again is
  // harmless.
  void Refill() {
    if (end_ - p_ >= 8) {
      uint64_t word;
      std::memcpy(&word, p_, 8);  // little-endian hosts only (x86-64, arm64)
      bits_ |= word << count_;
      p_ += (63 - count_) >> 3;
      count_ |= 56;
      return;
    }
    SlowRefill();
  }
  uint64_t Peek() const { return bits_; }
  uint32_t Peek(unsigned n) const { return static_cast<uint32_t>(bits_ & ((uint64_t{1} << n) - 1)); }
  unsigned Available() const { return count_; }
  void Drop(unsigned n) {
    bits_ >>= n;
    count_ -= n;
    if (count_ < phantom_) Truncated();
  }
  // Up to 32 bits.
  uint32_t Bits(unsigned n) {
    if (count_ < n) Refill();
    const uint32_t v = Peek(n);
    Drop(n);
    return v;
  }
  void AlignToByte() { Drop(count_ & 7); }
  // Whole bytes after AlignToByte, copied to `sink(data, size)` in pieces.
  template <typename Sink>
  void CopyBytes(uint64_t n, Sink&& sink) {
    while (n && count_ >= 8) {
      const uint8_t b = static_cast<uint8_t>(bits_);
      Drop(8);
      sink(&b, 1);
      --n;
    }
    // Above count_ the buffer holds copies of the bytes at p_ (the refill loads ahead); they are
    // about to be consumed here directly, so they must not be merged in again later.
    if (n) bits_ = 0;
    while (n) {
      if (p_ == end_ && !NextChunk()) Truncated();
      const size_t take = static_cast<size_t>(std::min<uint64_t>(n, static_cast<uint64_t>(end_ - p_)));
      sink(p_, take);
      p_ += take;
      n -= take;
    }
  }
  // Input exhausted and every real bit consumed.
  bool AtEnd() {
    if (count_ > phantom_) return false;
    return p_ == end_ && !NextChunk();
  }
  [[noreturn]] void Truncated() const {
    if (onEnd_ == OnEnd::kReadError) ThrowZip(kZipReadError);
    ThrowCorrupt("compressed data ends too early");
  }

 private:
  bool NextChunk() {
    const uint8_t* data;
    size_t size;
    if (phantom_ || !input_.Next(data, size)) return false;
    p_ = data;
    end_ = data + size;
    return true;
  }
  void SlowRefill() {
    while (count_ <= 56) {
      if (p_ == end_ && !NextChunk()) {
        phantom_ += 8;  // zero bits: they may be looked at, never consumed
        count_ += 8;
        continue;
      }
      bits_ |= uint64_t{*p_++} << count_;
      count_ += 8;
    }
  }

  ChunkInput& input_;
  OnEnd onEnd_;
  const uint8_t* p_ = nullptr;
  const uint8_t* end_ = nullptr;
  uint64_t bits_ = 0;
  unsigned count_ = 0;
  unsigned phantom_ = 0;
};

// The sliding window of an LZ77 decoder. Bytes are produced at buf[pos]; history bytes stay behind
// pos. In direct mode the window is the caller's memory for the whole member and never slides;
// otherwise it is a buffer of its own, flushed to the output and slid when it fills up. With
// `zeroHistory`, `history` zero bytes stand before the first byte (implode and reduce refer to them).
class LzWindow {
 public:
  LzWindow(MemberOutput& out, size_t history, size_t maxMatch, bool allowDirect, bool zeroHistory);
  ~LzWindow();
  LzWindow(const LzWindow&) = delete;
  LzWindow& operator=(const LzWindow&) = delete;

  // Makes sure a match of up to maxMatch bytes fits at pos (slides in buffered mode).
  void MakeRoom() {
    if (!direct_ && capacity_ - pos_ < maxMatch_ + 16) Slide();
  }
  // Bytes that may still be produced at pos without going past the member's size.
  size_t Left() const { return static_cast<size_t>(std::min<uint64_t>(capLeft_ - (pos_ - start_), capacity_ - pos_)); }
  bool Complete() const { return pos_ - start_ == capLeft_; }
  // Copies a match from `distance` bytes back, byte by byte (it may overlap what it produces), cut
  // at the member's size. The zero history makes every distance the decoders allow readable.
  void CopyBack(size_t distance, size_t length) {
    const size_t n = std::min(length, Left());
    uint8_t* dst = buf_ + pos_;
    const uint8_t* src = dst - distance;
    for (size_t i = 0; i < n; ++i) dst[i] = src[i];
    pos_ += n;
  }
  // Writes what is pending to the output. Called once at the end (and on errors, by the destructor).
  void Finish();

  uint8_t* buf() { return buf_; }
  size_t pos_;
  size_t capacity_;
  size_t start_;  // buf index where the bytes not yet handed to the output begin

 private:
  void Slide();

  MemberOutput& out_;
  std::unique_ptr<uint8_t[]> own_;
  uint8_t* buf_;
  size_t history_;
  size_t maxMatch_;
  bool direct_;
  bool finished_ = false;
  uint64_t capLeft_;  // bytes that may still be produced from start_ on
};

// The decoders. Each writes at most out's cap and raises ZipError on bad data.
void InflateOwn(ChunkInput& input, MemberOutput& out, bool deflate64);             // methods 8 and 9, our inflater
void InflateZlib(ChunkInput& input, MemberOutput& out);                            // method 8, zlib streaming
void Unshrink(ChunkInput& input, MemberOutput& out);                               // method 1
void Unreduce(ChunkInput& input, MemberOutput& out, int factor);                   // methods 2 to 5, factor 1 to 4
void Explode(ChunkInput& input, MemberOutput& out, bool dict8k, bool threeTrees);  // method 6

}  // namespace mobrelle::zip::detail
