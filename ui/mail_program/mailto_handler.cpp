#include "ui/mail_program/mailto_handler.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <utility>

#include "ui/mail_program/desktop_entry.h"

namespace mobrelle {
namespace {

constexpr size_t kMaxFolders = 64;       // of one colon list
constexpr int kMaxPrefixDepth = 4;       // "a-b-c-d-x.desktop" in a/b/c/d/

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// Absolute folders of a colon list; relative ones are ignored, as the base-directory rules say.
std::vector<std::string> Folders(const std::string& list) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos <= list.size() && out.size() < kMaxFolders) {
    size_t end = list.find(':', pos);
    if (end == std::string::npos) end = list.size();
    std::string d = list.substr(pos, end - pos);
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    if (!d.empty() && d.front() == '/') out.push_back(std::move(d));
    pos = end + 1;
  }
  return out;
}

std::string Folder(const std::string& value, const std::string& fallback) {
  auto f = Folders(value);
  return f.empty() ? fallback : f.front();
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ResolveId(const std::string& base, const std::string& id, int depth) {
  if (IsFile(base + "/" + id)) return base + "/" + id;
  if (depth >= kMaxPrefixDepth) return {};
  for (size_t dash = id.find('-'); dash != std::string::npos; dash = id.find('-', dash + 1)) {
    const std::string sub = base + "/" + id.substr(0, dash);
    if (dash == 0 || !IsFolder(sub)) continue;
    if (std::string found = ResolveId(sub, id.substr(dash + 1), depth + 1); !found.empty()) return found;
  }
  return {};
}

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
  size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  return line.substr(start);
}

}  // namespace

XdgDirs XdgDirs::FromEnvironment() {
  const std::string home = Env("HOME");
  XdgDirs d;
  d.ConfigHome = Folder(Env("XDG_CONFIG_HOME"), home + "/.config");
  d.DataHome = Folder(Env("XDG_DATA_HOME"), home + "/.local/share");
  d.ConfigDirs = Folders(Env("XDG_CONFIG_DIRS"));
  if (d.ConfigDirs.empty()) d.ConfigDirs = {"/etc/xdg"};
  d.DataDirs = Folders(Env("XDG_DATA_DIRS"));
  if (d.DataDirs.empty()) d.DataDirs = {"/usr/local/share", "/usr/share"};
  const std::string desktops = Env("XDG_CURRENT_DESKTOP");
  size_t pos = 0;
  while (pos < desktops.size() && d.Desktops.size() < kMaxFolders) {
    size_t end = desktops.find(':', pos);
    if (end == std::string::npos) end = desktops.size();
    std::string name = desktops.substr(pos, end - pos);
    for (char& c : name)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!name.empty() && name.find('/') == std::string::npos) d.Desktops.push_back(std::move(name));
    pos = end + 1;
  }
  return d;
}

std::vector<std::string> MimeAppsFiles(const XdgDirs& dirs) {
  std::vector<std::string> files;
  auto add = [&](const std::string& folder) {
    for (const std::string& desktop : dirs.Desktops) files.push_back(folder + "/" + desktop + "-mimeapps.list");
    files.push_back(folder + "/mimeapps.list");
  };
  add(dirs.ConfigHome);
  for (const std::string& d : dirs.ConfigDirs) add(d);
  add(dirs.DataHome + "/applications");
  for (const std::string& d : dirs.DataDirs) add(d + "/applications");
  return files;
}

std::string FindDesktopFile(const XdgDirs& dirs, const std::string& id) {
  // An id is a file name: anything that could climb out of the applications folders is refused.
  if (id.empty() || id.find('/') != std::string::npos || id == "." || id == ".." ||
      id.find('\0') != std::string::npos)
    return {};
  std::vector<std::string> bases{dirs.DataHome + "/applications"};
  for (const std::string& d : dirs.DataDirs) bases.push_back(d + "/applications");
  for (const std::string& base : bases)
    if (std::string found = ResolveId(base, id, 0); !found.empty()) return found;
  return {};
}

std::string FindInPath(const std::string& name, std::string_view path) {
  if (name.empty() || name.find('\0') != std::string::npos) return {};
  if (name.find('/') != std::string::npos) return name;
  for (const std::string& folder : Folders(std::string(path))) {
    const std::string candidate = (folder == "/" ? "" : folder) + "/" + name;
    if (IsFile(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
  if (!IsFile(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(kMaxKeyFileBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

MailtoHandler FindMailtoHandler(const XdgDirs& dirs, const std::optional<std::string>& xdgMimeAnswer) {
  MailtoHandler h;
  auto useEntry = [&](const std::string& file) {
    const auto bytes = ReadSmallFile(file);
    if (!bytes) return false;
    const DesktopEntry e = ParseDesktopEntry(*bytes);
    if (!e.HasGroup || e.Hidden) return false;
    h.DesktopFile = file;
    h.Exec = e.Exec;
    h.Icon = e.Icon;
    return true;
  };
  if (xdgMimeAnswer) {
    h.AskedXdgMime = true;
    h.XdgMimeAnswer = FirstLine(*xdgMimeAnswer);
    if (!h.XdgMimeAnswer.empty()) {
      h.DesktopId = h.XdgMimeAnswer;
      if (const std::string file = FindDesktopFile(dirs, h.DesktopId); !file.empty()) useEntry(file);
      return h;
    }
  }
  // The first installed entry of the first file that names one in `group`.
  auto fromGroup = [&](const std::string& list, const std::string& bytes, const char* group,
                       const std::set<std::string>& removed) {
    std::string line;
    const auto value = KeyFileValue(bytes, group, kMailtoScheme, &line);
    if (!value) return false;
    for (const std::string& id : SplitList(*value)) {
      if (removed.count(id)) continue;
      const std::string file = FindDesktopFile(dirs, id);
      if (file.empty() || !useEntry(file)) continue;
      h.MimeAppsFile = list;
      h.MimeAppsLine = line;
      h.DesktopId = id;
      return true;
    }
    return false;
  };
  std::vector<std::pair<std::string, std::string>> lists;
  for (const std::string& list : MimeAppsFiles(dirs))
    if (auto bytes = ReadSmallFile(list)) lists.emplace_back(list, std::move(*bytes));
  for (const auto& [list, bytes] : lists)
    if (fromGroup(list, bytes, "Default Applications", {})) return h;

  // No default: the associations, as xdg-open falls back on them: those the lists add, then the
  // cache of what the installed entries declare, less those a list removes (removed for all,
  // which is stricter than per folder and never picks a program the user turned away).
  std::set<std::string> removed;
  for (const auto& [list, bytes] : lists)
    if (auto v = KeyFileValue(bytes, "Removed Associations", kMailtoScheme))
      for (std::string& id : SplitList(*v)) removed.insert(std::move(id));
  for (const auto& [list, bytes] : lists)
    if (fromGroup(list, bytes, "Added Associations", removed)) return h;
  std::vector<std::string> dataDirs{dirs.DataHome};
  dataDirs.insert(dataDirs.end(), dirs.DataDirs.begin(), dirs.DataDirs.end());
  for (const std::string& d : dataDirs) {
    const std::string cache = d + "/applications/mimeinfo.cache";
    if (auto bytes = ReadSmallFile(cache); bytes && fromGroup(cache, *bytes, "MIME Cache", removed)) return h;
  }
  return h;
}

std::string DiagnosticText(const MailtoHandler& h) {
  std::string t;
  if (h.AskedXdgMime) t += std::string("xdg-mime query default ") + kMailtoScheme + " :\r\n" + h.XdgMimeAnswer + "\r\n\r\n";
  if (!h.AskedXdgMime || h.XdgMimeAnswer.empty()) {
    if (h.MimeAppsFile.empty())
      t += std::string("mimeapps.list [Default Applications] ") + kMailtoScheme + " :\r\n\r\n\r\n";
    else
      t += h.MimeAppsFile + " :\r\n" + h.MimeAppsLine + "\r\n\r\n";
  }
  const std::string entry = !h.DesktopFile.empty() ? h.DesktopFile + " [Desktop Entry]"
                            : !h.DesktopId.empty() ? h.DesktopId + " (not found)"
                                                   : std::string("(no desktop entry)");
  t += entry + " Icon :\r\n" + (h.Icon ? *h.Icon : std::string()) + "\r\n\r\n";
  t += entry + " Exec :\r\n" + (h.Exec ? *h.Exec : std::string());
  return t;
}

}  // namespace mobrelle
