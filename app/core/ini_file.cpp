#include "app/core/ini_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/core/cp1252.h"

namespace mobrelle {
namespace {

constexpr size_t kMaxText = 2047;

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// The lines of the file without their line ends; CR LF and LF alone both end a line.
std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  if (!in) return lines;
  std::ostringstream buf;
  buf << in.rdbuf();
  const std::string data = buf.str();
  size_t start = 0;
  while (start < data.size()) {
    size_t nl = data.find('\n', start);
    size_t end = nl == std::string::npos ? data.size() : nl;
    size_t cut = end;
    if (cut > start && data[cut - 1] == '\r') --cut;
    lines.emplace_back(data, start, cut - start);
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

// The section name of a header line "[name]", or nothing for other lines.
std::optional<std::string> SectionOf(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  size_t close = t.rfind(']');
  if (close == 0 || close == std::string_view::npos) return std::nullopt;
  return std::string(Trim(t.substr(1, close - 1)));
}

struct KeyLine {
  std::string key;
  std::string value;
};

std::optional<KeyLine> KeyOf(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::string_view key = Trim(t.substr(0, eq));
  if (key.empty()) return std::nullopt;
  std::string_view value = Trim(t.substr(eq + 1));
  // Like Windows, a value wrapped in matching quotes reads without them.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return KeyLine{std::string(key), std::string(value)};
}

// First line of the first section called `section`, or lines.size().
size_t FindSection(const std::vector<std::string>& lines, const std::string& section) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (auto name = SectionOf(lines[i]); name && SameText(*name, section)) return i;
  return lines.size();
}

// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const std::vector<std::string>& lines, size_t header) {
  size_t i = header + 1;
  while (i < lines.size() && !SectionOf(lines[i])) ++i;
  return i;
}

std::optional<std::string> Lookup(const std::vector<std::string>& lines, const std::string& section,
                                  const std::string& key) {
  size_t h = FindSection(lines, section);
  if (h == lines.size()) return std::nullopt;
  for (size_t i = h + 1, end = SectionEnd(lines, h); i < end; ++i)
    if (auto kv = KeyOf(lines[i]); kv && SameText(kv->key, key)) return kv->value;
  return std::nullopt;
}

// A value must stay on its line: a line break in it would cut it and could forge other keys.
std::string OneLine(const std::string& value) {
  std::string out = value;
  for (char& c : out)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return out;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Holds an exclusive lock on the file's folder while one read-change-write runs, so two processes
// writing the same file take turns instead of losing each other's keys.
class FolderLock {
 public:
  explicit FolderLock(const std::string& dir) : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes the whole file to a temporary beside it and renames it over the old one.
void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string data;
  for (const auto& l : lines) {
    data += l;
    data += "\r\n";
  }
  std::string tmpl = path + ".XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) throw IniWriteError(path);
  ::fchmod(fd, 0600);
  bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(tmpl.c_str(), path.c_str()) != 0) {
    ::unlink(tmpl.c_str());
    throw IniWriteError(path);
  }
}

}  // namespace

IniWriteError::IniWriteError(const std::string& path)
    : std::runtime_error(Utf8ToCp1252("Impossible d'écrire dans ") + path) {}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::vector<std::string> IniFile::Load() const { return batch_ ? *batch_ : ReadLines(path_); }

void IniFile::Change(const std::function<void(std::vector<std::string>&)>& edit) {
  if (batch_) {
    edit(*batch_);
    return;
  }
  FolderLock lock(DirectoryOf(path_));
  std::vector<std::string> lines = ReadLines(path_);
  edit(lines);
  WriteLines(path_, lines);
}

void IniFile::Batch(const std::function<void()>& changes) {
  if (batch_) {  // already inside a batch: one write at the end of the outer one
    changes();
    return;
  }
  FolderLock lock(DirectoryOf(path_));
  batch_ = ReadLines(path_);
  const auto before = *batch_;
  try {
    changes();
  } catch (...) {
    batch_.reset();
    throw;
  }
  std::vector<std::string> lines = std::move(*batch_);
  batch_.reset();
  if (lines != before) WriteLines(path_, lines);
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  auto v = Lookup(Load(), section, key);
  if (!v) return def;
  if (v->size() > kMaxText) v->resize(kMaxText);
  return *v;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
  auto v = Lookup(Load(), section, key);
  if (!v) return def;
  std::string_view t = Trim(*v);
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    t.remove_prefix(2);
    if (t.size() > 8) return def;
    uint32_t value = 0;
    for (char c : t) {
      int d;
      if (c >= '0' && c <= '9')
        d = c - '0';
      else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      else
        return def;
      value = value * 16 + static_cast<uint32_t>(d);
    }
    return static_cast<int32_t>(value);
  }
  bool negative = false;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  if (t.empty() || t.size() > 10) return def;
  int64_t value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return def;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return def;
  return static_cast<int32_t>(value);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  Change([&](std::vector<std::string>& lines) {
    const std::string line = key + "=" + OneLine(value);
    size_t h = FindSection(lines, section);
    if (h == lines.size()) {
      lines.push_back("[" + section + "]");
      lines.push_back(line);
    } else {
      size_t end = SectionEnd(lines, h);
      size_t found = end;
      for (size_t i = h + 1; i < end; ++i)
        if (auto kv = KeyOf(lines[i]); kv && SameText(kv->key, key)) {
          found = i;
          break;
        }
      if (found != end) {
        lines[found] = KeyOf(lines[found])->key + "=" + OneLine(value);  // keeps the key's own spelling
      } else {
        // New keys go after the section's last non-blank line, not after the blank line before the next section.
        size_t at = end;
        while (at > h + 1 && Trim(lines[at - 1]).empty()) --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
      }
    }
  });
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::ReadSections() const {
  std::vector<std::string> names;
  for (const auto& l : Load()) {
    auto name = SectionOf(l);
    if (!name) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || SameText(n, *name);
    if (!seen) names.push_back(*name);
  }
  return names;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  const auto lines = Load();
  size_t h = FindSection(lines, section);
  if (h == lines.size()) return keys;
  for (size_t i = h + 1, end = SectionEnd(lines, h); i < end; ++i) {
    auto kv = KeyOf(lines[i]);
    if (!kv) continue;
    bool seen = false;
    for (const auto& k : keys) seen = seen || SameText(k, kv->key);
    if (!seen) keys.push_back(kv->key);
  }
  return keys;
}

bool IniFile::SectionExists(const std::string& section) const {
  const auto lines = Load();
  return FindSection(lines, section) != lines.size();
}

void IniFile::EraseSection(const std::string& section) {
  if (!SectionExists(section)) return;  // nothing to write, and no file created
  Change([&](std::vector<std::string>& lines) {
    // Every copy of the section goes, so a hand-made duplicate cannot resurface.
    for (size_t h = FindSection(lines, section); h != lines.size(); h = FindSection(lines, section))
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(h),
                  lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(lines, h)));
  });
}

std::string EncodeMultiLine(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\xB6\xB6";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string DecodeMultiLine(const std::string& stored) {
  std::string out;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\xB6' && i + 1 < stored.size() && stored[i + 1] == '\xB6') {
      out += "\r\n";
      ++i;
    } else {
      out += stored[i];
    }
  }
  return out;
}

}  // namespace mobrelle
