#pragma once
// The bytes of an archive: a caller's memory buffer or a file read with pread. Offsets are 64-bit;
// reads past the end are short, never an error.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace mobrelle::zip::detail {

class Source {
 public:
  virtual ~Source() = default;
  virtual uint64_t Size() const = 0;
  // Copies up to `size` bytes from `offset`; returns how many (0 at or past the end).
  virtual size_t ReadAt(uint64_t offset, void* into, size_t size) const = 0;
  // The whole data when it lies in memory, else nullptr.
  virtual const uint8_t* Memory() const { return nullptr; }
  virtual bool InMemory() const { return false; }
};

std::unique_ptr<Source> MemorySource(std::string_view data);
std::unique_ptr<Source> OwnedMemorySource(std::string data);
// Raises ZipError of class ecFileOpenError with the system's number when the file cannot be opened.
std::unique_ptr<Source> FileSource(const std::string& path);

// Compressed input handed to a decoder in chunks: all of it at once from memory, blocks from a file.
class ChunkInput {
 public:
  ChunkInput(const Source& source, uint64_t offset, uint64_t length, size_t blockSize);
  // The next chunk; false at the end of the input.
  bool Next(const uint8_t*& data, size_t& size);
  // Bytes handed out so far.
  uint64_t Consumed() const { return consumed_; }

 private:
  const Source& source_;
  uint64_t offset_;
  uint64_t remaining_;
  uint64_t consumed_ = 0;
  std::unique_ptr<uint8_t[]> block_;
  size_t blockSize_;
};

}  // namespace mobrelle::zip::detail
