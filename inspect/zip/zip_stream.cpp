#include "inspect/zip/zip_stream.h"

#include <errno.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "inspect/zip/zip_errors.h"

namespace mobrelle::zip {

TZipMemoryStream::TZipMemoryStream(uint64_t limit) : limit_(limit) {}

TZipMemoryStream::~TZipMemoryStream() { std::free(data_); }

void TZipMemoryStream::Clear() {
  size_ = 0;
  position_ = 0;
}

uint64_t TZipMemoryStream::Room() const { return limit_ > position_ ? limit_ - position_ : 0; }

void TZipMemoryStream::Grow(size_t needed) {
  if (needed <= capacity_) return;
  size_t capacity = capacity_ < 4096 ? 4096 : capacity_;
  while (capacity < needed) capacity = capacity > (SIZE_MAX / 2) ? needed : capacity * 2;
  // Never more than one byte past the bound, so a bounded stream stays bounded in memory too.
  if (limit_ < SIZE_MAX && capacity > limit_ + 1 && needed <= limit_ + 1) capacity = static_cast<size_t>(limit_ + 1);
  // Uninitialised growth: every byte up to size_ is written before it is read.
  void* grown = std::realloc(data_, capacity);
  if (!grown) throw std::bad_alloc();
  data_ = static_cast<uint8_t*>(grown);
  capacity_ = capacity;
}

void TZipMemoryStream::Write(const uint8_t* data, size_t size) {
  if (size == 0) return;
  if (size > Room()) ThrowZip(kZipMemberTooLarge);
  const size_t end = position_ + size;
  Grow(end);
  std::memcpy(data_ + position_, data, size);
  position_ = end;
  if (end > size_) size_ = end;
}

uint8_t* TZipMemoryStream::Reserve(size_t size) {
  if (size > Room()) ThrowZip(kZipMemberTooLarge);
  // Only when appending: a decoder that fails after writing in place must not have spoilt bytes
  // that were there before.
  if (position_ != size_) return nullptr;
  Grow(position_ + size + 1);  // +1: never a null pointer, even for an empty reservation
  reserved_from_ = size_;
  if (position_ + size > size_) size_ = position_ + size;
  return data_ + position_;
}

void TZipMemoryStream::Commit(size_t written) {
  const size_t end = position_ + written;
  size_ = end > reserved_from_ ? end : reserved_from_;
  position_ = end;
}

TZipFileStream::TZipFileStream(int fd) : fd_(fd) { buffer_.reserve(1 << 16); }

TZipFileStream::~TZipFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

void TZipFileStream::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      buffer_.clear();
      ThrowErrno(TZipErrorClass::ecInOutError, err, "write");
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
}

void TZipFileStream::Write(const uint8_t* data, size_t size) {
  if (fd_ < 0) ThrowErrno(TZipErrorClass::ecInOutError, EBADF, "write");
  if (buffer_.size() + size > (1 << 16)) Flush();
  if (size >= (1 << 16)) {
    buffer_.assign(reinterpret_cast<const char*>(data), size);
    Flush();
  } else {
    buffer_.append(reinterpret_cast<const char*>(data), size);
  }
}

void TZipFileStream::Close() {
  if (fd_ < 0) return;
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) ThrowErrno(TZipErrorClass::ecInOutError, errno, "close");
}

}  // namespace mobrelle::zip
