#include "app/core/old_filter_conversion.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace mobrelle {
namespace {

namespace fs = std::filesystem;

// Old lines held 2 or 3 comma-separated fields in quotes; others were never valid entries.
void CopyKeptLines(std::ifstream& in, std::ofstream& out) {
  constexpr size_t kPiece = 126;
  std::string line;
  while (std::getline(in, line)) {
    bool hadCr = !line.empty() && line.back() == '\r';
    if (hadCr) line.pop_back();
    // A longer line counts as several lines, each read on its own.
    for (size_t start = 0; start < line.size() || start == 0; start += kPiece) {
      std::string piece = line.substr(start, kPiece);
      int commas = 0;
      for (char c : piece) commas += c == ',';
      if (commas == 2 || commas == 3) {
        std::string kept;
        for (char c : piece)
          if (c != '"') kept += c;
        out << kept << "\r\n";
      }
      if (line.size() <= kPiece) break;
    }
  }
}

// Lines of today's format hold five fields (four commas). Such a file is never converted: the
// conversion would drop every one of its lines. That happens when the configuration file is lost or
// new while the filter files are current.
bool HoldsCurrentFormat(const fs::path& list) {
  std::ifstream in(list, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    int commas = 0;
    for (char c : line) commas += c == ',';
    if (commas == 4) return true;
  }
  return false;
}

}  // namespace

bool NeedsOldFilterConversion(const std::string& version) { return version < "Mobrelle V 2.2.0.04"; }

void ConvertOldFilterFiles(const std::string& folder) {
  const fs::path dir(folder);
  const fs::path rj = dir / "Mobrelle.rj";
  const fs::path rjo = dir / "Mobrelle.rjo";
  for (const char* name : {"Mobrelle.rej", "Mobrelle.rjs"}) {
    const fs::path list = dir / name;
    if (HoldsCurrentFormat(list)) continue;
    {
      std::ifstream in(list, std::ios::binary);
      if (in) {
        std::ofstream out(rj, std::ios::binary | std::ios::trunc);
        if (out) CopyKeptLines(in, out);
      }
    }
    std::error_code ec;
    if (fs::exists(rj, ec)) {
      fs::remove(rjo, ec);
      fs::rename(list, rjo, ec);
      fs::rename(rj, list, ec);
    }
  }
}

}  // namespace mobrelle
