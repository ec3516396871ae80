#include "inspect/zip/zip_source.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "inspect/zip/zip_errors.h"

namespace mobrelle::zip::detail {
namespace {

class MemorySourceImpl final : public Source {
 public:
  explicit MemorySourceImpl(std::string_view data) : data_(data) {}
  uint64_t Size() const override { return data_.size(); }
  size_t ReadAt(uint64_t offset, void* into, size_t size) const override {
    if (offset >= data_.size()) return 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, data_.size() - offset));
    if (n) std::memcpy(into, data_.data() + offset, n);
    return n;
  }
  const uint8_t* Memory() const override { return reinterpret_cast<const uint8_t*>(data_.data()); }
  bool InMemory() const override { return true; }

 private:
  std::string_view data_;
};

class OwnedMemorySourceImpl final : public Source {
 public:
  explicit OwnedMemorySourceImpl(std::string data) : data_(std::move(data)), view_(data_) {}
  uint64_t Size() const override { return view_.Size(); }
  size_t ReadAt(uint64_t offset, void* into, size_t size) const override { return view_.ReadAt(offset, into, size); }
  const uint8_t* Memory() const override { return view_.Memory(); }
  bool InMemory() const override { return true; }

 private:
  std::string data_;
  MemorySourceImpl view_;
};

class FileSourceImpl final : public Source {
 public:
  FileSourceImpl(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~FileSourceImpl() override { ::close(fd_); }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* into, size_t size) const override {
    size_t done = 0;
    while (done < size && offset + done < size_) {
      const ssize_t n = ::pread(fd_, static_cast<char*>(into) + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        ThrowErrno(TZipErrorClass::ecInOutError, errno, "read");
      }
      if (n == 0) break;  // the file became shorter: the data ends here
      done += static_cast<size_t>(n);
    }
    return done;
  }

 private:
  int fd_;
  uint64_t size_;
};

}  // namespace

std::unique_ptr<Source> MemorySource(std::string_view data) { return std::make_unique<MemorySourceImpl>(data); }

std::unique_ptr<Source> OwnedMemorySource(std::string data) {
  return std::make_unique<OwnedMemorySourceImpl>(std::move(data));
}

std::unique_ptr<Source> FileSource(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowErrno(TZipErrorClass::ecFileOpenError, errno, path);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int err = errno ? errno : EINVAL;
    ::close(fd);
    ThrowErrno(TZipErrorClass::ecFileOpenError, S_ISDIR(st.st_mode) ? EISDIR : err, path);
  }
  return std::make_unique<FileSourceImpl>(fd, static_cast<uint64_t>(st.st_size));
}

ChunkInput::ChunkInput(const Source& source, uint64_t offset, uint64_t length, size_t blockSize)
    : source_(source), offset_(offset), blockSize_(blockSize) {
  const uint64_t size = source.Size();
  remaining_ = offset >= size ? 0 : std::min<uint64_t>(length, size - offset);
}

bool ChunkInput::Next(const uint8_t*& data, size_t& size) {
  if (remaining_ == 0) return false;
  if (const uint8_t* memory = source_.Memory()) {
    data = memory + offset_;
    size = static_cast<size_t>(remaining_);
  } else {
    if (!block_) block_ = std::make_unique<uint8_t[]>(blockSize_);
    size = source_.ReadAt(offset_, block_.get(), static_cast<size_t>(std::min<uint64_t>(blockSize_, remaining_)));
    if (size == 0) {
      remaining_ = 0;
      return false;
    }
    data = block_.get();
  }
  offset_ += size;
  remaining_ -= size;
  consumed_ += size;
  return true;
}

}  // namespace mobrelle::zip::detail
