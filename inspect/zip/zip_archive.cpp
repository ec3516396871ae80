#include "inspect/zip/zip_archive.h"

#include <errno.h>
#include <fcntl.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

#include "inspect/zip/zip_codec.h"
#include "inspect/zip/zip_crc32.h"
#include "inspect/zip/zip_names.h"
#include "inspect/zip/zip_source.h"

namespace mobrelle::zip {
namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kZip64EndSignature = 0x06064B50;
constexpr uint32_t kDigitalSignature = 0x05054B50;
constexpr size_t kEndSize = 22, kCentralSize = 46, kLocalSize = 30;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

std::string ReadString(const detail::Source& src, uint64_t offset, size_t size) {
  std::string s(size, '\0');
  s.resize(src.ReadAt(offset, s.data(), size));
  return s;
}

bool SignatureAt(const detail::Source& src, uint64_t offset, uint32_t signature) {
  uint8_t b[4];
  return src.ReadAt(offset, b, 4) == 4 && Le32(b) == signature;
}

// Locating the end of central directory record: the last 22 bytes when they are a
// record without comment, else a backward scan in windows of 512 bytes doubling up to 64 KiB.
// Consecutive windows overlap by 21 bytes: an overlap of only 4 would leave 17
// positions between two windows untried (archives with a comment of 491 to 507 bytes, for one,
// would not open).
int64_t FindEndRecord(const detail::Source& src) {
  const uint64_t size = src.Size();
  if (size < kEndSize) return -1;
  uint8_t tail[kEndSize];
  if (src.ReadAt(size - kEndSize, tail, kEndSize) == kEndSize && Le32(tail) == kEndSignature && Le16(tail + 20) == 0)
    return static_cast<int64_t>(size - kEndSize);
  std::vector<uint8_t> window;
  uint64_t length = 512, end = size;
  for (;;) {
    const bool last = end <= length;
    const uint64_t start = last ? 0 : end - length;
    if (end - start < kEndSize) return -1;
    window.resize(static_cast<size_t>(end - start));
    if (src.ReadAt(start, window.data(), window.size()) != window.size()) return -1;
    for (uint64_t p = end - kEndSize + 1; p-- > start;) {
      const uint8_t* r = window.data() + (p - start);
      if (Le32(r) == kEndSignature && size - (p + kEndSize) >= Le16(r + 20)) return static_cast<int64_t>(p);
    }
    if (last) return -1;
    end = start + kEndSize - 1;
    length = std::min<uint64_t>(length * 2, 65536);
  }
}

// The Info-ZIP Unicode path field (0x7075, version 1) when it belongs to this very name.
bool UnicodePathField(const std::string& extra, const std::string& storedName, std::string& utf8) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(extra.data());
  size_t left = extra.size();
  while (left >= 4) {
    const uint16_t id = Le16(p), len = Le16(p + 2);
    if (len > left - 4) return false;
    if (id == 0x7075 && len >= 5 && p[4] == 1 && Le32(p + 5) == ZipCrc32(storedName)) {
      utf8.assign(reinterpret_cast<const char*>(p + 9), len - 5);
      return true;
    }
    p += 4 + len;
    left -= 4 + len;
  }
  return false;
}

std::string DisplayName(const TZipItem& item, const std::string& storedName) {
  std::string converted, utf8;
  if ((item.GeneralPurposeBitFlag & 0x800) && Utf8ToCp1252(item.RawFileName, converted)) return converted;
  if (UnicodePathField(item.ExtraField, storedName, utf8) && Utf8ToCp1252(utf8, converted)) {
    const size_t zero = converted.find('\0');
    return zero == std::string::npos ? converted : converted.substr(0, zero);
  }
  if ((item.VersionMadeBy >> 8) == 0) return Cp437ToCp1252(item.RawFileName);
  return item.RawFileName;
}

// The process's file mode mask, read without changing it (umask() would, for every thread).
mode_t ProcessUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  return 022;
}

std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

bool AsciiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

libdeflate_decompressor* Decompressor() {
  struct Holder {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    ~Holder() { libdeflate_free_decompressor(d); }
  };
  thread_local Holder holder;
  if (!holder.d) throw std::bad_alloc();
  return holder.d;
}

// Method 8 in one call to libdeflate when the whole compressed data is at hand and the output fits
// the member's size; false (nothing written) when it did not succeed, so the streaming path runs.
bool InflateWhole(const uint8_t* in, size_t inSize, detail::MemberOutput& out) {
  const size_t cap = static_cast<size_t>(out.Remaining());
  uint8_t* direct = out.ReserveAll();
  std::unique_ptr<uint8_t[]> temporary;
  uint8_t* dst = direct;
  if (!dst) {
    temporary.reset(new uint8_t[cap + 1]);
    dst = temporary.get();
  }
  size_t used = 0, produced = 0;
  const libdeflate_result r = libdeflate_deflate_decompress_ex(Decompressor(), in, inSize, dst, cap, &used, &produced);
  if (r != LIBDEFLATE_SUCCESS) {
    if (direct) out.CommitDirect(direct, 0);  // gives the reservation back
    return false;
  }
  if (direct) {
    out.CommitDirect(direct, produced);
  } else {
    out.Write(dst, produced);
  }
  return true;
}

void Inflate8(const TZipArchive& archive, const TZipItem& item, uint64_t dataStart, detail::MemberOutput& out) {
  const detail::Source& src = archive.Data();
  const uint64_t available = src.Size() > dataStart ? src.Size() - dataStart : 0;
  if (const uint8_t* memory = src.Memory()) {
    // The compressed size serves only for progress: the data runs to the end of its final block.
    if (InflateWhole(memory + dataStart, static_cast<size_t>(available), out)) return;
  } else if (item.CompressedSize <= archive.MaxMemberSize()) {
    std::vector<uint8_t> compressed(static_cast<size_t>(std::min<uint64_t>(available, item.CompressedSize)));
    compressed.resize(src.ReadAt(dataStart, compressed.data(), compressed.size()));
    if (InflateWhole(compressed.data(), compressed.size(), out)) return;
  }
  detail::ChunkInput input(src, dataStart, UINT64_MAX, 16384);
  detail::InflateZlib(input, out);
}

}  // namespace

bool TZipItem::IsDirectory() const { return !FileName.empty() && (FileName.back() == '/' || FileName.back() == '\\'); }

bool TZipItem::DosDateTime(int& year, int& month, int& day, int& hour, int& minute, int& second) const {
  day = LastModFileDate & 31;
  month = (LastModFileDate >> 5) & 15;
  year = (LastModFileDate >> 9) + 1980;
  second = (LastModFileTime & 31) * 2;
  minute = (LastModFileTime >> 5) & 63;
  hour = LastModFileTime >> 11;
  return month >= 1 && month <= 12 && day >= 1 && hour < 24 && minute < 60 && second < 60;
}

TZipArchive::TZipArchive(std::unique_ptr<detail::Source> source, std::string archiveName)
    : BaseDirectory(ProgramFolder()), source_(std::move(source)), archiveName_(std::move(archiveName)) {}

TZipArchive::~TZipArchive() = default;

std::unique_ptr<TZipArchive> TZipArchive::FromBuffer(std::string_view data, std::string archiveName) {
  return std::unique_ptr<TZipArchive>(new TZipArchive(detail::MemorySource(data), std::move(archiveName)));
}

std::unique_ptr<TZipArchive> TZipArchive::FromOwnedBuffer(std::string data, std::string archiveName) {
  return std::unique_ptr<TZipArchive>(
      new TZipArchive(detail::OwnedMemorySource(std::move(data)), std::move(archiveName)));
}

std::unique_ptr<TZipArchive> TZipArchive::FromFile(const std::string& fileName) {
  return std::unique_ptr<TZipArchive>(new TZipArchive(detail::FileSource(fileName), fileName));
}

bool TZipArchive::InMemory() const { return source_->InMemory(); }

void TZipArchive::Load() {
  BusyGuard busy(*this);
  items_.clear();
  comment_.clear();
  shift_ = 0;
  spanned_ = false;
  const detail::Source& src = *source_;
  const uint64_t size = src.Size();
  if (size == 0) return;
  uint8_t head[4] = {};
  const size_t got = src.ReadAt(0, head, 4);
  const uint32_t first = got == 4 ? Le32(head) : 0;
  int64_t end = -1;
  if (first != 0x08074B50 && first != 0x30304B50) end = FindEndRecord(src);
  if (end < 0) ThrowZip(got >= 2 && head[0] == 'P' && head[1] == 'K' ? kZipFileNotFound : kZipNotPkZip);
  uint8_t rec[kEndSize];
  if (src.ReadAt(static_cast<uint64_t>(end), rec, kEndSize) != kEndSize || Le32(rec) != kEndSignature)
    ThrowZip(kZipNotPkZip);
  const uint16_t thisDisk = Le16(rec + 4), directoryDisk = Le16(rec + 6);
  const uint32_t directorySize = Le32(rec + 12), directoryOffset = Le32(rec + 16);
  comment_ = ReadString(src, static_cast<uint64_t>(end) + kEndSize, Le16(rec + 20));
  spanned_ = thisDisk != 0 || directoryDisk != 0;

  uint64_t pos = directoryOffset;
  // Bytes put in front of an archive without correcting its offsets (a self-extractor stub, say):
  // the directory then ends right at the end record, and every stored offset is short by as much.
  if (!SignatureAt(src, pos, kCentralSignature) && static_cast<uint64_t>(end) >= directorySize) {
    const uint64_t candidate = static_cast<uint64_t>(end) - directorySize;
    if (candidate != pos && SignatureAt(src, candidate, kCentralSignature)) {
      shift_ = static_cast<int64_t>(candidate) - static_cast<int64_t>(directoryOffset);
      pos = candidate;
    }
  }
  // The entry counts of the end record do not end the loop: the directory runs to the end record.
  while (pos < static_cast<uint64_t>(end)) {
    uint8_t h[kCentralSize];
    if (src.ReadAt(pos, h, kCentralSize) != kCentralSize) ThrowZip(kZipNotPkZip);
    const uint32_t signature = Le32(h);
    if (signature == kZip64EndSignature || signature == kDigitalSignature) break;
    if (signature != kCentralSignature) ThrowZip(kZipNotPkZip);
    TZipItem item;
    item.VersionMadeBy = Le16(h + 4);
    item.VersionNeededToExtract = Le16(h + 6);
    item.GeneralPurposeBitFlag = Le16(h + 8);
    item.CompressionMethod = Le16(h + 10);
    item.LastModFileTime = Le16(h + 12);
    item.LastModFileDate = Le16(h + 14);
    item.CRC32 = Le32(h + 16);
    item.CompressedSize = Le32(h + 20);
    item.UncompressedSize = Le32(h + 24);
    const uint16_t nameLength = Le16(h + 28), extraLength = Le16(h + 30), commentLength = Le16(h + 32);
    item.DiskNumberStart = Le16(h + 34);
    item.InternalFileAttributes = Le16(h + 36);
    item.ExternalFileAttributes = Le32(h + 38);
    item.RelativeOffset = Le32(h + 42);
    pos += kCentralSize;
    const std::string storedName = ReadString(src, pos, nameLength);
    item.ExtraField = ReadString(src, pos + nameLength, extraLength);
    item.FileComment = ReadString(src, pos + nameLength + extraLength, commentLength);
    if (storedName.size() + item.ExtraField.size() + item.FileComment.size() !=
        size_t{nameLength} + extraLength + commentLength)
      ThrowZip(kZipNotPkZip);  // the header runs past the data
    pos += size_t{nameLength} + extraLength + commentLength;
    item.RawFileName = storedName.substr(0, storedName.find('\0'));
    item.FileName = DisplayName(item, storedName);
    items_.push_back(std::move(item));
  }
}

const TZipItem* TZipArchive::Find(std::string_view name) const {
  for (const TZipItem& item : items_)
    if (item.FileName == name || item.RawFileName == name) return &item;
  for (const TZipItem& item : items_)
    if (AsciiSameText(item.FileName, name) || AsciiSameText(item.RawFileName, name)) return &item;
  return nullptr;
}

void TZipArchive::ReportFailure(const TZipItem& item) {
  TZipErrorClass errorClass = TZipErrorClass::ecOther;
  int code = 0;
  try {
    throw;
  } catch (const ZipError& e) {
    errorClass = e.ErrorClass();
    code = e.Code();
  } catch (const std::system_error& e) {
    errorClass = TZipErrorClass::ecInOutError;
    code = e.code().value();
  } catch (...) {
    // bad_alloc and everything else: class ecOther, code 0
  }
  ++failures_;
  if (OnItemFailure) OnItemFailure(*this, item, TZipProcessType::ptExtract, errorClass, code);
}

void TZipArchive::NotifyFailure(const TZipItem& item, TZipErrorClass errorClass, int code) {
  ++failures_;
  if (OnItemFailure) OnItemFailure(*this, item, TZipProcessType::ptExtract, errorClass, code);
}

bool TZipArchive::ExtractToStream(const TZipItem& item, TZipStream& stream) {
  const uint64_t before = failures_;
  try {
    if (!OnExtractToStream) ThrowZip(kZipNoExtractionSupport);
    OnExtractToStream(*this, item, stream);
  } catch (...) {
    ReportFailure(item);
  }
  return failures_ == before;
}

size_t TZipArchive::ExtractFiles(std::string_view mask) {
  std::error_code ec;
  if (!std::filesystem::is_directory(BaseDirectory, ec)) ThrowZip(kZipDirectoryMissing);
  size_t extracted = 0;
  for (const TZipItem& item : items_) {
    if (!ZipMaskMatches(mask, item.FileName)) continue;
    const uint64_t before = failures_;
    try {
      if (!OnExtractToFile) ThrowZip(kZipNoExtractionSupport);
      OnExtractToFile(*this, item, item.FileName);
    } catch (...) {
      ReportFailure(item);
    }
    if (failures_ == before) ++extracted;
  }
  return extracted;
}

bool TZipArchive::ExtractToString(std::string_view name, std::string& out) {
  out.clear();
  const TZipItem* item = Find(name);
  if (!item) return false;
  TZipMemoryStream buffer(maxMemberSize_);
  bool ok;
  if (OnExtractToStream) {
    ok = ExtractToStream(*item, buffer);
  } else {
    const uint64_t before = failures_;
    try {
      UnzipToStream(*this, *item, buffer);
    } catch (...) {
      ReportFailure(*item);
    }
    ok = failures_ == before;
  }
  out.assign(buffer.View());
  return ok;
}

void UnzipToStream(TZipArchive& archive, const TZipItem& item, TZipStream& stream) {
  TZipArchive::BusyGuard busy(archive);
  if ((item.VersionNeededToExtract & 0xFF) > 21) ThrowZip(kZipNewerVersion);
  if (archive.Spanned() || item.DiskNumberStart != 0)
    ThrowZip(archive.InMemory() ? kZipSpannedInMemory : kZipSpannedArchive);
  const detail::Source& src = archive.Data();
  // With shifted offsets (see Load), a local header not found at the shifted place is looked for
  // at the stored one: some writers get only the directory offset wrong.
  uint8_t h[kLocalSize];
  auto localHeaderAt = [&](int64_t at) {
    return at >= 0 && src.ReadAt(static_cast<uint64_t>(at), h, kLocalSize) == kLocalSize && Le32(h) == kLocalSignature;
  };
  int64_t local = static_cast<int64_t>(item.RelativeOffset) + archive.OffsetShift();
  if (!localHeaderAt(local)) {
    local = item.RelativeOffset;
    if (archive.OffsetShift() == 0 || !localHeaderAt(local)) ThrowZip(kZipNotPkZip);
  }
  const uint16_t method = Le16(h + 8);
  const uint64_t dataStart = static_cast<uint64_t>(local) + kLocalSize + Le16(h + 26) + Le16(h + 28);
  if (item.IsEncrypted()) ThrowZip(kZipInvalidPassword);
  if (method == 7 || method > 9) ThrowZip(kZipUnsupportedMethod);
  if (item.UncompressedSize > archive.MaxMemberSize() || item.UncompressedSize > stream.Room())
    ThrowZip(kZipMemberTooLarge);

  detail::MemberOutput out(stream, item.UncompressedSize);
  switch (method) {
    case 0: {
      // Exactly the uncompressed size is copied; the copy also stops where the data ends.
      detail::ChunkInput input(src, dataStart, item.UncompressedSize, 16384);
      const uint8_t* data;
      size_t size;
      while (input.Next(data, size)) out.Write(data, size);
      break;
    }
    case 8:
      Inflate8(archive, item, dataStart, out);
      break;
    case 9: {
      detail::ChunkInput input(src, dataStart, UINT64_MAX, 16384);
      detail::InflateOwn(input, out, /*deflate64=*/true);
      break;
    }
    case 1: {
      detail::ChunkInput input(src, dataStart, item.CompressedSize, 4096);
      detail::Unshrink(input, out);
      break;
    }
    case 6: {
      detail::ChunkInput input(src, dataStart, item.CompressedSize, 4096);
      detail::Explode(input, out, item.ImplodeDictionarySize() == 8192, item.ImplodeTreeCount() == 3);
      break;
    }
    default: {  // 2 to 5
      detail::ChunkInput input(src, dataStart, item.CompressedSize, 4096);
      detail::Unreduce(input, out, method - 1);
      break;
    }
  }
  if (out.Crc() != item.CRC32) {
    // The bytes stay where they were written; the difference goes straight to the notification.
    if (!archive.OnItemFailure) ThrowZip(kZipFailedCrc);
    archive.NotifyFailure(item, TZipErrorClass::ecZipReader, kZipFailedCrc);
  }
}

void UnzipToFile(TZipArchive& archive, const TZipItem& item, const std::string& targetName) {
  namespace fs = std::filesystem;
  // On Linux "/" stays the separator; a "\" in a name is an ordinary character of the file name.
  std::string relative = targetName;
  if (!archive.ExtractOptions.Has(TZipExtractOption::eoRestorePath)) {
    const size_t slash = relative.rfind('/');
    if (slash != std::string::npos) relative.erase(0, slash + 1);
  }
  if (!IsSafeRelativePath(relative)) ThrowZip(kZipUnsafePath);
  std::string path = archive.BaseDirectory;
  if (path.empty() || path.back() != '/') path += '/';
  path += Cp1252ToUtf8(relative);
  const fs::path folder = fs::path(path).parent_path();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    if (!archive.ExtractOptions.Has(TZipExtractOption::eoCreateDirs)) ThrowZip(kZipDirectoryMissing);
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder))
      ThrowErrno(TZipErrorClass::ecFileCreateError, ec ? ec.value() : ENOTDIR, folder.string());
  }
  // Written whole to a temporary file beside the target, then renamed over it: no half file is
  // ever left under the member's name, and an existing file (or link) is replaced, not written through.
  std::string temporary = path + ".part-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) ThrowErrno(TZipErrorClass::ecFileCreateError, errno, path);
  const mode_t mask = ProcessUmask();
  ::fchmod(fd, 0666 & ~mask);
  {
    TZipFileStream file(fd);
    try {
      UnzipToStream(archive, item, file);
      file.Close();
      if (::rename(temporary.c_str(), path.c_str()) != 0) ThrowErrno(TZipErrorClass::ecFileCreateError, errno, path);
    } catch (...) {
      ::unlink(temporary.c_str());
      throw;
    }
  }
  int year, month, day, hour, minute, second;
  if (item.DosDateTime(year, month, day, hour, minute, second)) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const time_t t = std::mktime(&tm);
    if (t != static_cast<time_t>(-1)) {
      struct timespec times[2] = {{t, 0}, {t, 0}};
      ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
  }
  // Attributes: Unix permission bits when the member was made on Unix, else the MS-DOS read-only bit.
  if ((item.VersionMadeBy >> 8) == 3 && (item.ExternalFileAttributes >> 16) != 0) {
    ::chmod(path.c_str(), static_cast<mode_t>((item.ExternalFileAttributes >> 16) & 0777 & ~mask) | S_IRUSR);
  } else if (item.ExternalFileAttributes & 1) {
    ::chmod(path.c_str(), static_cast<mode_t>(0444 & ~mask));
  }
}

}  // namespace mobrelle::zip
