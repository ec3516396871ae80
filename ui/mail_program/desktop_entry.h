#pragma once
// Reading the small key files of the desktop: desktop entries (the mail program's Exec and Icon) and
// mimeapps.list (which desktop entry handles "mailto:"). Both come from outside the program, so the
// reader is bounded in size, lines and value length and never fails on bad input.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mobrelle {

// Files longer than this are read up to this size only.
inline constexpr size_t kMaxKeyFileBytes = 256 * 1024;
inline constexpr size_t kMaxExecArguments = 256;

// The value of `key` in group `group` ("Desktop Entry"), as written (no escapes undone). Only the
// unlocalised key counts; the first occurrence wins. `line` receives the whole line when found.
std::optional<std::string> KeyFileValue(std::string_view file, std::string_view group, std::string_view key,
                                        std::string* line = nullptr);

// Undoes the escapes of a string value: \s \n \t \r \\ (an unknown escape keeps its character).
std::string UnescapeValue(std::string_view value);

struct DesktopEntry {
  bool HasGroup = false;  // a [Desktop Entry] group exists
  bool Hidden = false;    // Hidden=true: the entry counts as deleted
  std::optional<std::string> Exec, Icon;  // unescaped values
};
DesktopEntry ParseDesktopEntry(std::string_view file);

// The arguments of an (unescaped) Exec value, by its quoting rules: arguments apart by spaces,
// double-quoted ones may hold spaces and \" \` \$ \\ escapes. Empty when the quoting is broken
// (an unclosed quote) or there are too many arguments.
std::vector<std::string> SplitExec(std::string_view exec);

// Removes the field codes (%f %F %u %U %i %c %k and the old %d %D %n %N %v %m): an argument that is
// only a field code goes, one inside an argument is cut out of it; "%%" becomes "%".
std::vector<std::string> RemoveFieldCodes(const std::vector<std::string>& args);

// The semicolon list of a mimeapps.list value, items trimmed, empty ones left out.
std::vector<std::string> SplitList(std::string_view value);

}  // namespace mobrelle
