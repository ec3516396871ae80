// The ZIP reader on arbitrary archives: Load, then every member into a bounded buffer and every
// member as a file below a scratch folder. Nothing may crash, hang or grow without bound; a buffer
// never receives more than its member's uncompressed size; nothing is written outside the folder.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "inspect/zip/zip_archive.h"

using namespace mobrelle::zip;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string root = [] {
    std::string t = "/tmp/mobrelle-fuzz-zip-XXXXXX";
    if (!::mkdtemp(t.data())) std::abort();
    return t;
  }();
  const std::string base = root + "/base";
  std::filesystem::remove_all(base);
  std::filesystem::create_directory(base);

  auto zip = TZipArchive::FromBuffer(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.zip");
  int failures = 0;
  zip->OnItemFailure = [&](TZipArchive&, const TZipItem&, TZipProcessType, TZipErrorClass, int) { ++failures; };
  zip->OnExtractToStream = UnzipToStream;
  zip->OnExtractToFile = UnzipToFile;
  zip->SetMaxMemberSize(1 << 20);
  try {
    zip->Load();
  } catch (const ZipError& e) {
    if (e.Code() != kZipNotPkZip && e.Code() != kZipFileNotFound) std::abort();
    return 0;
  }
  size_t n = 0;
  for (const TZipItem& item : zip->Items()) {
    if (++n > 64) break;
    TZipMemoryStream buffer(1 << 20);
    zip->ExtractToStream(item, buffer);
    if (buffer.Size() > item.UncompressedSize) std::abort();
    (void)ZipErrorText(static_cast<int>(item.CompressionMethod));
  }
  if (zip->Count() <= 64) {
    zip->BaseDirectory = base;
    zip->ExtractOptions = TZipExtractOption::eoCreateDirs | TZipExtractOption::eoRestorePath;
    zip->ExtractFiles("*.*");
    // Nothing beside the base folder in the scratch root.
    for (const auto& e : std::filesystem::directory_iterator(root))
      if (e.path().filename() != "base") std::abort();
  }
  std::string text;
  if (zip->Count()) zip->ExtractToString(zip->Item(0).FileName, text);
  return 0;
}
