#pragma once
// Which program the desktop registers for "mailto:" addresses: its desktop entry, found through
// the answer of `xdg-mime query default x-scheme-handler/mailto` or, without xdg-mime, through the
// mimeapps.list files in the order of the XDG mime-apps rules. Plain C++; paths are file-system
// bytes and desktop-entry texts UTF-8.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mobrelle {

inline constexpr char kMailtoScheme[] = "x-scheme-handler/mailto";

// The XDG folders, from the environment with the defaults of the base-directory rules.
struct XdgDirs {
  std::string ConfigHome, DataHome;
  std::vector<std::string> ConfigDirs, DataDirs;
  std::vector<std::string> Desktops;  // XDG_CURRENT_DESKTOP, lower-cased, in order

  static XdgDirs FromEnvironment();
};

// The mimeapps.list files to look at, most important first.
std::vector<std::string> MimeAppsFiles(const XdgDirs& dirs);

// The file of desktop entry `id` ("thunderbird.desktop", "kde-kmail.desktop" may live in kde/) in
// the applications folders of the data folders, first found; empty when none.
std::string FindDesktopFile(const XdgDirs& dirs, const std::string& id);

// `name` itself when it holds a "/", else the first executable file of that name in the
// colon-separated `path`; empty when there is none.
std::string FindInPath(const std::string& name, std::string_view path);

// What was looked at, for setting up and for the diagnostic.
struct MailtoHandler {
  bool AskedXdgMime = false;
  std::string XdgMimeAnswer;           // its first line
  std::string MimeAppsFile, MimeAppsLine;  // the file and line that named the handler
  std::string DesktopId, DesktopFile;  // DesktopFile empty: not found
  std::optional<std::string> Exec, Icon;  // as the entry holds them, escapes undone
};

// With `xdgMimeAnswer` (xdg-mime ran and answered), its desktop id is used; otherwise the first
// default of the mimeapps.list files whose desktop entry exists (and is not Hidden), and without
// any, the added associations and then the mimeinfo.cache files.
MailtoHandler FindMailtoHandler(const XdgDirs& dirs, const std::optional<std::string>& xdgMimeAnswer);

// The diagnostic put on the clipboard, in UTF-8 with CR LF: where the handler was named, then the
// entry's Icon, then its Exec.
std::string DiagnosticText(const MailtoHandler& h);

// Reads at most kMaxKeyFileBytes of a file; nullopt when it cannot be opened or is not a regular file.
std::optional<std::string> ReadSmallFile(const std::string& path);

}  // namespace mobrelle
