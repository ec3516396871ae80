#pragma once
// TZipArchive and TZipItem: a ZIP archive read from a memory buffer or a file, its
// members listed from the central directory, members extracted into a buffer or as files.
//
// Typical uses:
//   auto zip = TZipArchive::FromBuffer(bytes, "pieces.zip");    // bytes stay the caller's
//   zip->OnItemFailure = ...;  zip->Load();                     // Load raises ZipError
//   zip->OnExtractToStream = UnzipToStream;
//   for (const TZipItem& m : zip->Items()) { TZipMemoryStream buf(64 << 20); zip->ExtractToStream(m, buf); }
// or, for one member by name (help archives, .xlsx parts):
//   std::string xml; if (zip->ExtractToString("xl/workbook.xml", xml)) ...
//
// Nothing read from the archive is trusted: sizes, offsets and counts are checked against the data,
// no decoder writes more than the member's uncompressed size, and a member larger than
// MaxMemberSize() (64 MiB unless changed) or than the room of the stream it goes to fails with code
// kZipMemberTooLarge before anything is decoded.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/zip/zip_errors.h"
#include "inspect/zip/zip_stream.h"

namespace mobrelle::zip {

namespace detail {
class Source;
}

// One member: the fields of its central directory file header, as stored (numbers unsigned).
struct TZipItem {
  uint16_t VersionMadeBy = 0;
  uint16_t VersionNeededToExtract = 0;
  uint16_t GeneralPurposeBitFlag = 0;
  uint16_t CompressionMethod = 0;
  uint16_t LastModFileTime = 0;
  uint16_t LastModFileDate = 0;
  uint32_t CRC32 = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  // The stored name up to its first zero byte, as the program's Windows-1252 text: converted from
  // code page 437 when made on MS-DOS (high byte of VersionMadeBy 0), from UTF-8 when flag bit 11
  // says so or an Info-ZIP Unicode path field (0x7075) matches the name; else as stored.
  std::string FileName;
  std::string RawFileName;  // the stored bytes up to the first zero
  std::string ExtraField;
  std::string FileComment;
  uint16_t DiskNumberStart = 0;
  uint16_t InternalFileAttributes = 0;
  uint32_t ExternalFileAttributes = 0;
  uint32_t RelativeOffset = 0;

  bool IsEncrypted() const { return GeneralPurposeBitFlag & 1; }
  // A folder entry: a name ending in "/" (or "\").
  bool IsDirectory() const;
  // Method 6: dictionary of 8 KB when flag bit 1 is set (else 4 KB); 3 Shannon-Fano trees when bit 2
  // is set (else 2).
  unsigned ImplodeDictionarySize() const { return (GeneralPurposeBitFlag & 2) ? 8192 : 4096; }
  unsigned ImplodeTreeCount() const { return (GeneralPurposeBitFlag & 4) ? 3 : 2; }
  // The member's MS-DOS date and time as local calendar values (month 1-12); false when invalid.
  bool DosDateTime(int& year, int& month, int& day, int& hour, int& minute, int& second) const;
};

enum class TZipExtractOption : unsigned { eoCreateDirs = 1, eoRestorePath = 2 };
// A set of TZipExtractOption: {} is empty, eoCreateDirs | eoRestorePath both.
class TZipExtractOptions {
 public:
  constexpr TZipExtractOptions() = default;
  constexpr TZipExtractOptions(TZipExtractOption o) : bits_(static_cast<unsigned>(o)) {}
  constexpr bool Has(TZipExtractOption o) const { return bits_ & static_cast<unsigned>(o); }
  constexpr TZipExtractOptions operator|(TZipExtractOptions o) const { return FromBits(bits_ | o.bits_); }
  constexpr bool operator==(const TZipExtractOptions&) const = default;

 private:
  static constexpr TZipExtractOptions FromBits(unsigned bits) {
    TZipExtractOptions s;
    s.bits_ = bits;
    return s;
  }
  unsigned bits_ = 0;
};
constexpr TZipExtractOptions operator|(TZipExtractOption a, TZipExtractOption b) {
  return TZipExtractOptions(a) | TZipExtractOptions(b);
}

enum class TZipArchiveStatus { asIdle, asBusy };

class TZipArchive {
 public:
  using ExtractToFileHook = std::function<void(TZipArchive&, const TZipItem&, const std::string& targetName)>;
  using ExtractToStreamHook = std::function<void(TZipArchive&, const TZipItem&, TZipStream&)>;
  using ItemFailureNotification =
      std::function<void(TZipArchive&, const TZipItem&, TZipProcessType, TZipErrorClass, int code)>;

  static constexpr uint64_t kDefaultMaxMemberSize = uint64_t{64} << 20;

  // Over a memory buffer, which stays the caller's and must outlive the archive.
  static std::unique_ptr<TZipArchive> FromBuffer(std::string_view data, std::string archiveName);
  // A temporary string would be gone before the archive: hand it over with FromOwnedBuffer.
  static std::unique_ptr<TZipArchive> FromBuffer(std::string&& data, std::string archiveName) = delete;
  // Over bytes the archive keeps for itself.
  static std::unique_ptr<TZipArchive> FromOwnedBuffer(std::string data, std::string archiveName);
  // Over a file opened for reading; raises ZipError (ecFileOpenError, errno) when it cannot be opened.
  static std::unique_ptr<TZipArchive> FromFile(const std::string& fileName);
  ~TZipArchive();
  TZipArchive(const TZipArchive&) = delete;
  TZipArchive& operator=(const TZipArchive&) = delete;

  // Reads the central directory. Raises ZipError with the code's text: 28 for
  // data that is not an archive or a record whose signature does not match, 25 for data that begins
  // with "PK" and holds no end record (or begins with a volume-set marker). Empty data: no members.
  void Load();

  size_t Count() const { return items_.size(); }
  const TZipItem& Item(size_t index) const { return items_.at(index); }
  const std::vector<TZipItem>& Items() const { return items_; }
  // The first member whose FileName (or stored name) is `name`, exactly, else ignoring letter case
  // (ASCII); nullptr when there is none. Folder separators are compared as stored.
  const TZipItem* Find(std::string_view name) const;

  const std::string& ArchiveName() const { return archiveName_; }
  const std::string& Comment() const { return comment_; }  // the archive comment, as stored
  TZipArchiveStatus Status() const { return busy_ ? TZipArchiveStatus::asBusy : TZipArchiveStatus::asIdle; }
  bool InMemory() const;

  // Folder below which ExtractFiles writes; at creation the folder of the running program.
  std::string BaseDirectory;
  TZipExtractOptions ExtractOptions;
  ExtractToFileHook OnExtractToFile;
  ExtractToStreamHook OnExtractToStream;
  ItemFailureNotification OnItemFailure;

  // The largest member the reader extracts (mend of issue 4); larger ones fail with code 31.
  uint64_t MaxMemberSize() const { return maxMemberSize_; }
  void SetMaxMemberSize(uint64_t size) { maxMemberSize_ = size; }

  // Extracts `item` into `stream` at its position through OnExtractToStream (unset: code 3). Errors
  // go to OnItemFailure and never leave; returns true when none was reported.
  bool ExtractToStream(const TZipItem& item, TZipStream& stream);
  // Extracts every member whose name matches `mask` through OnExtractToFile with its FileName.
  // Raises ZipError 19 when BaseDirectory does not exist; member errors go to OnItemFailure and the
  // next member follows. Returns the number of members extracted without a reported error.
  size_t ExtractFiles(std::string_view mask);

  // One member by name into `out` (replaced), with UnzipToStream when no hook is bound; false when
  // there is no such member or its extraction reported an error.
  bool ExtractToString(std::string_view name, std::string& out);

  // Internal: the data behind the archive and the shift applied to stored offsets (an archive whose
  // offsets do not count bytes put in front of it).
  const detail::Source& Data() const { return *source_; }
  int64_t OffsetShift() const { return shift_; }
  bool Spanned() const { return spanned_; }
  // Counts a failure and passes it to OnItemFailure (used for the CRC difference).
  void NotifyFailure(const TZipItem& item, TZipErrorClass errorClass, int code);
  // Marks the archive busy for the life of the returned guard.
  struct BusyGuard {
    explicit BusyGuard(TZipArchive& a) : archive(a), was(a.busy_) { a.busy_ = true; }
    ~BusyGuard() { archive.busy_ = was; }
    TZipArchive& archive;
    bool was;
  };

 private:
  TZipArchive(std::unique_ptr<detail::Source> source, std::string archiveName);
  void ReportFailure(const TZipItem& item);

  std::unique_ptr<detail::Source> source_;
  std::string archiveName_;
  std::string comment_;
  std::vector<TZipItem> items_;
  int64_t shift_ = 0;
  bool spanned_ = false;
  bool busy_ = false;
  uint64_t failures_ = 0;
  uint64_t maxMemberSize_ = kDefaultMaxMemberSize;
};

// The two extraction routines the hooks are bound to (the extraction hooks). Both raise ZipError;
// a CRC difference goes straight to the archive's OnItemFailure (raised only when it is unset).
void UnzipToStream(TZipArchive& archive, const TZipItem& item, TZipStream& stream);
void UnzipToFile(TZipArchive& archive, const TZipItem& item, const std::string& targetName);

}  // namespace mobrelle::zip
