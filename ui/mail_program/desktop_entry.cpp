#include "ui/mail_program/desktop_entry.h"

namespace mobrelle {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<std::string> KeyFileValue(std::string_view file, std::string_view group, std::string_view key,
                                        std::string* line) {
  if (file.size() > kMaxKeyFileBytes) file = file.substr(0, kMaxKeyFileBytes);
  bool inGroup = false;
  size_t pos = 0;
  while (pos < file.size()) {
    size_t end = file.find('\n', pos);
    if (end == std::string_view::npos) end = file.size();
    const std::string_view raw = file.substr(pos, end - pos);
    pos = end + 1;
    const std::string_view l = Trim(raw);
    if (l.empty() || l.front() == '#') continue;
    if (l.front() == '[') {
      inGroup = l.size() >= 2 && l.back() == ']' && l.substr(1, l.size() - 2) == group;
      continue;
    }
    if (!inGroup) continue;
    const size_t eq = l.find('=');
    if (eq == std::string_view::npos) continue;
    if (Trim(l.substr(0, eq)) != key) continue;  // "Exec[fr]" and other keys
    if (line) *line = std::string(l);
    return std::string(Trim(l.substr(eq + 1)));
  }
  return std::nullopt;
}

std::string UnescapeValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c != '\\' || i + 1 == value.size()) {
      out += c;
      continue;
    }
    const char e = value[++i];
    switch (e) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default:  // not a string escape: left for the Exec quoting rules
        out += '\\';
        out += e;
    }
  }
  return out;
}

DesktopEntry ParseDesktopEntry(std::string_view file) {
  DesktopEntry d;
  constexpr std::string_view kGroup = "Desktop Entry";
  // A group header alone is enough to call it an entry, even without keys.
  if (file.size() > kMaxKeyFileBytes) file = file.substr(0, kMaxKeyFileBytes);
  for (size_t pos = 0; pos < file.size();) {
    size_t end = file.find('\n', pos);
    if (end == std::string_view::npos) end = file.size();
    if (Trim(file.substr(pos, end - pos)) == "[Desktop Entry]") {
      d.HasGroup = true;
      break;
    }
    pos = end + 1;
  }
  if (!d.HasGroup) return d;
  if (auto v = KeyFileValue(file, kGroup, "Hidden")) d.Hidden = *v == "true";
  if (auto v = KeyFileValue(file, kGroup, "Exec")) d.Exec = UnescapeValue(*v);
  if (auto v = KeyFileValue(file, kGroup, "Icon")) d.Icon = UnescapeValue(*v);
  return d;
}

std::vector<std::string> SplitExec(std::string_view exec) {
  std::vector<std::string> args;
  std::string cur;
  bool inArg = false, quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size() &&
                 (exec[i + 1] == '"' || exec[i + 1] == '`' || exec[i + 1] == '$' || exec[i + 1] == '\\')) {
        cur += exec[++i];
      } else {
        cur += c;
      }
    } else if (c == ' ' || c == '\t' || c == '\n') {
      if (inArg) {
        if (args.size() == kMaxExecArguments) return {};
        args.push_back(std::move(cur));
        cur.clear();
        inArg = false;
      }
    } else {
      inArg = true;
      if (c == '"') quoted = true;
      else cur += c;
    }
  }
  if (quoted) return {};
  if (inArg) {
    if (args.size() == kMaxExecArguments) return {};
    args.push_back(std::move(cur));
  }
  return args;
}

std::vector<std::string> RemoveFieldCodes(const std::vector<std::string>& args) {
  constexpr std::string_view kCodes = "fFuUickdDnNvm";
  std::vector<std::string> out;
  for (const std::string& a : args) {
    std::string kept;
    bool hadCode = false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (a[i] != '%' || i + 1 == a.size()) {
        kept += a[i];
      } else if (a[i + 1] == '%') {
        kept += '%';
        ++i;
      } else if (kCodes.find(a[i + 1]) != std::string_view::npos) {
        hadCode = true;
        ++i;
      } else {
        kept += a[i];
      }
    }
    if (hadCode && kept.empty()) continue;
    out.push_back(std::move(kept));
  }
  return out;
}

std::vector<std::string> SplitList(std::string_view value) {
  std::vector<std::string> items;
  size_t pos = 0;
  while (pos <= value.size()) {
    size_t end = value.find(';', pos);
    if (end == std::string_view::npos) end = value.size();
    const std::string_view item = Trim(value.substr(pos, end - pos));
    if (!item.empty()) items.emplace_back(item);
    pos = end + 1;
  }
  return items;
}

}  // namespace mobrelle
