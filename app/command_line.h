#pragma once
// The program's command line, read the same way by the console front and by the window program.

#include <QString>
#include <optional>
#include <string>

namespace mobrelle {

struct CommandLine {
  QString home;
  std::optional<std::string> firstArgument;  // the first argument that is not one of the options below
  std::optional<std::string> analyse;        // --analyse FILE
  bool check = false;                        // --check
  bool help = false;
  bool version = false;
  std::string error;
};

CommandLine ParseCommandLine(int argc, char** argv);

// What the program does without a window (a wrong command line, --help, --version, --analyse,
// --check): its exit code, or nothing when the command line asks for the window.
std::optional<int> RunWithoutWindow(const CommandLine& cl, int argc, char** argv);

}  // namespace mobrelle
