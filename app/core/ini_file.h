#pragma once
// The configuration file: a Windows-style INI file of Windows-1252 text.
//
// Section and key names compare without regard to case; sections keep the order in which they were
// first written. Every write reaches the disk at once: the file is read again, the one key is
// changed and the whole file is written to a temporary and renamed over the old one (mode 0600),
// so a crash never leaves half a file and a second process writing the same file loses nothing.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mobrelle {

// A write that could not reach the disk. what() is "Impossible d'écrire dans <path>" (Windows-1252).
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const std::string& path);
};

class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& Path() const { return path_; }

  // Texts are cut at 2047 characters; a missing key gives `def`.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // Decimal, or hexadecimal after "0x"/"0X"; anything that is not a valid 32-bit integer gives `def`.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  // Read as an integer: non-zero is true.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  std::vector<std::string> ReadSections() const;                          // in file order
  std::vector<std::string> ReadSection(const std::string& section) const;  // key names, in file order
  bool SectionExists(const std::string& section) const;
  void EraseSection(const std::string& section);

  // Runs `changes` (reads and writes through this object) as one write of the file: a crash or
  // another process sees the file either before all of them or after all of them. If `changes`
  // throws, nothing is written.
  void Batch(const std::function<void()>& changes);

 private:
  std::vector<std::string> Load() const;
  void Change(const std::function<void(std::vector<std::string>&)>& edit);

  std::string path_;
  std::optional<std::vector<std::string>> batch_;
};

// "¶¶" stands for CR LF in multi-line values.
std::string EncodeMultiLine(const std::string& text);
std::string DecodeMultiLine(const std::string& stored);

}  // namespace mobrelle
