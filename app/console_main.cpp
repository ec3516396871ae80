// The program as a command: what needs no window (--check, --analyse, --version, --help) runs here,
// in a process that loads no graphics, sound or widget library; for the window it hands over to the
// window program beside it, with the same arguments. Loading those libraries was half of the start
// of "mobrelle --check", which scripts and status bars run again and again.

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

constexpr char kWindowProgram[] = "mobrelle-window";

// The folder of this executable: /proc says it where it exists, else the path it was started by.
std::string OwnFolder(const char* argv0) {
  std::string self;
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n > 0) self.assign(path, static_cast<size_t>(n));
  else if (argv0 && std::strchr(argv0, '/')) self = argv0;
  const size_t slash = self.rfind('/');
  return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
  const mobrelle::CommandLine cl = mobrelle::ParseCommandLine(argc, argv);
  if (const std::optional<int> done = mobrelle::RunWithoutWindow(cl, argc, argv)) return *done;

  const std::string window = OwnFolder(argc > 0 ? argv[0] : nullptr) + "/" + kWindowProgram;
  std::vector<char*> args(argv, argv + argc);
  args.push_back(nullptr);
  if (args.size() > 1) args[0] = const_cast<char*>(window.c_str());
  ::execv(window.c_str(), args.data());
  std::fprintf(stderr, "mobrelle: cannot start the window program %s: %s\n", window.c_str(), std::strerror(errno));
  return 1;
}
