#include "inspect/analysis/analyse_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <ostream>
#include <string_view>

#include "app/core/cp1252.h"
#include "inspect/analysis/attachment_analysis.h"
#include "inspect/zip/zip_archive.h"

namespace mobrelle {

namespace {

// The whole file, or false with the system's reason.
bool ReadWholeFile(const std::string& path, std::string& data, std::string& reason) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    reason = std::strerror(errno);
    return false;
  }
  char block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) data.append(block, n);
  const bool failed = std::ferror(f);
  const int err = errno;
  std::fclose(f);
  if (failed) {
    reason = std::strerror(err);
    return false;
  }
  return true;
}

// A first line such as "Received: ..." or an mbox "From " line: the file is a message.
bool StartsLikeMessage(std::string_view data) {
  if (data.substr(0, 5) == "From ") return true;
  size_t i = 0;
  while (i < data.size() && data[i] > ' ' && data[i] < 0x7F && data[i] != ':') ++i;
  return i > 0 && i < data.size() && data[i] == ':';
}

// Tabs and line ends inside a field (a decoded file name may hold any byte) would break the rows.
std::string Field(std::string_view text) {
  std::string clean(text);
  for (char& c : clean) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return Cp1252ToUtf8(clean);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool LooksLikeZipArchive(const std::string& data) {
  // A local header, an empty archive's end record, a spanning marker: any record signature.
  if (data.size() >= 4 && data.compare(0, 2, "PK") == 0 &&
      ((data[2] >= 1 && data[2] <= 8) || data.compare(2, 2, "00") == 0))
    return true;
  if (StartsLikeMessage(data)) return false;
  // An archive behind other bytes (a self-extracting program): its end record says so.
  try {
    auto zip = zip::TZipArchive::FromBuffer(std::string_view(data), "");
    zip->Load();
    return zip->Count() > 0;
  } catch (const std::exception&) {
    return false;
  }
}

int RunAnalyseCommand(const std::string& path, std::ostream& out, std::ostream& err) {
  std::string data, reason;
  if (!ReadWholeFile(path, data, reason)) {
    err << "mobrelle: cannot read " << path << ": " << reason << "\n";
    return 1;
  }
  AnalysisResult result;
  if (LooksLikeZipArchive(data)) {
    const std::string name = Utf8ToCp1252(BaseName(path));
    if (!ListZipArchive(data, name, result)) result.messages.push_back(CannotUnzipText(name));
  } else {
    result = AnalyseMessage(data);
  }
  for (const AnalysisRow& row : result.rows) {
    out << Field(row.block) << '\t' << Field(row.content) << '\t' << Field(row.type) << '\t' << Field(row.file)
        << '\t' << Field(row.size) << '\n';
  }
  for (const std::string& message : result.messages) err << Field(message) << '\n';
  out.flush();
  return 0;
}

}  // namespace mobrelle
