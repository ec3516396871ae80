#pragma once
// Helpers shared by the ZIP tests: fixture bytes, failures recorded from the notification.

#include <ostream>
#include <string>
#include <vector>

#include "inspect/zip/zip_archive.h"
#include "tests/support/temp_dir.h"

namespace mobrelle::zip::test {

inline std::string Fixture(const std::string& name) {
  const std::string bytes =
      mobrelle::test::ReadFileBytes(std::string(MOBRELLE_SOURCE_DIR) + "/tests/fixtures/zip/" + name);
  if (bytes.empty()) throw std::runtime_error("missing fixture " + name);
  return bytes;
}

inline std::string FixturePath(const std::string& name) {
  return std::string(MOBRELLE_SOURCE_DIR) + "/tests/fixtures/zip/" + name;
}

// `seq 1 20000`, the numbers.txt of the 7-Zip and Info-ZIP fixtures.
inline std::string Numbers() {
  std::string s;
  for (int i = 1; i <= 20000; ++i) s += std::to_string(i) + "\n";
  return s;
}

struct Failure {
  std::string member;
  TZipErrorClass errorClass;
  int code;
  bool operator==(const Failure&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Failure& f) {
  return os << "{" << f.member << ", class " << static_cast<int>(f.errorClass) << ", code " << f.code << "}";
}

// Binds a notification that records every failure, and the two extraction routines.
inline std::vector<Failure>& Record(TZipArchive& zip, std::vector<Failure>& into) {
  zip.OnItemFailure = [&into](TZipArchive&, const TZipItem& item, TZipProcessType, TZipErrorClass c, int code) {
    into.push_back({item.FileName, c, code});
  };
  zip.OnExtractToStream = UnzipToStream;
  zip.OnExtractToFile = UnzipToFile;
  return into;
}

// Every member into memory; returns the bytes by member.
inline std::vector<std::string> ExtractAll(TZipArchive& zip) {
  std::vector<std::string> out;
  for (const TZipItem& item : zip.Items()) {
    TZipMemoryStream buffer;
    zip.ExtractToStream(item, buffer);
    out.push_back(buffer.ToString());
  }
  return out;
}

inline int LoadError(const std::string& data) {
  auto zip = TZipArchive::FromBuffer(data, "x.zip");
  try {
    zip->Load();
  } catch (const ZipError& e) {
    return e.Code();
  }
  return 0;
}

}  // namespace mobrelle::zip::test
