#pragma once
// Where extracted bytes go: the buffer of ExtractToStream (a memory stream the caller owns, with an
// optional bound on its size) or the file UnzipToFile writes.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace mobrelle::zip {

class TZipStream {
 public:
  virtual ~TZipStream() = default;
  // Writes at the current position and moves it on; raises ZipError on failure (a bounded stream
  // refuses bytes past its bound with code kZipMemberTooLarge).
  virtual void Write(const uint8_t* data, size_t size) = 0;
  // How many more bytes the stream accepts from its current position.
  virtual uint64_t Room() const { return std::numeric_limits<uint64_t>::max(); }
  // Room for `size` bytes written in place at the current position, followed by Commit(written),
  // written <= size. nullptr when the stream cannot give such room (then Write is used).
  virtual uint8_t* Reserve(size_t /*size*/) { return nullptr; }
  virtual void Commit(size_t /*written*/) {}
};

// A growable buffer with a position, like a memory stream. Writing at a position
// inside the data overwrites it, past the end extends it. `limit` bounds the size of the data.
class TZipMemoryStream : public TZipStream {
 public:
  explicit TZipMemoryStream(uint64_t limit = std::numeric_limits<uint64_t>::max());
  ~TZipMemoryStream() override;
  TZipMemoryStream(const TZipMemoryStream&) = delete;
  TZipMemoryStream& operator=(const TZipMemoryStream&) = delete;

  void Write(const uint8_t* data, size_t size) override;
  uint64_t Room() const override;
  uint8_t* Reserve(size_t size) override;
  void Commit(size_t written) override;

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  size_t Position() const { return position_; }
  void Seek(size_t position) { position_ = position < size_ ? position : size_; }
  // Empties the buffer (size and position 0); the bound stays.
  void Clear();
  uint64_t Limit() const { return limit_; }
  void SetLimit(uint64_t limit) { limit_ = limit; }
  std::string_view View() const { return {reinterpret_cast<const char*>(data_), size_}; }
  std::string ToString() const { return std::string(View()); }

 private:
  void Grow(size_t needed);

  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t position_ = 0;
  size_t reserved_from_ = 0;  // size before the pending Reserve
  uint64_t limit_;
};

// A file written through a buffer; errors are of class ecInOutError with the system's number.
class TZipFileStream : public TZipStream {
 public:
  // Takes an open descriptor and closes it.
  explicit TZipFileStream(int fd);
  ~TZipFileStream() override;
  TZipFileStream(const TZipFileStream&) = delete;
  TZipFileStream& operator=(const TZipFileStream&) = delete;

  void Write(const uint8_t* data, size_t size) override;
  // Writes out what is buffered and closes the file; raises on failure. Idempotent.
  void Close();
  int Descriptor() const { return fd_; }

 private:
  void Flush();

  int fd_;
  std::string buffer_;
};

}  // namespace mobrelle::zip
