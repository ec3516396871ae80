// The INI reader and writer on arbitrary file contents: reads must not crash, and a written key must
// read back as written whatever the file held before.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/core/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string t = "/tmp/mobrelle-fuzz-ini-XXXXXX";
    if (!::mkdtemp(t.data())) std::abort();
    return t;
  }();
  const std::string path = dir + "/Mobrelle.ini";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  mobrelle::IniFile ini(path);
  for (const auto& s : ini.ReadSections()) {
    for (const auto& k : ini.ReadSection(s)) {
      (void)ini.ReadString(s, k, "");
      (void)ini.ReadInteger(s, k, 7);
    }
  }
  ini.WriteString("Mobrelle", "Version", "Mobrelle V 3.8.0.00");
  ini.WriteInteger("Boite", "Intervalle", -12);
  if (ini.ReadString("Mobrelle", "Version", "") != "Mobrelle V 3.8.0.00") std::abort();
  if (ini.ReadInteger("Boite", "Intervalle", 0) != -12) std::abort();
  ini.EraseSection("Boite");
  if (ini.SectionExists("Boite")) std::abort();
  return 0;
}
