#include "app/command_line.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/core/ini_file.h"
#include "app/core/main_settings.h"
#include "app/program_folder.h"
#include "inspect/analysis/analyse_command.h"
#include "polling/check/headless_check.h"

namespace mobrelle {

namespace {

const char kUsage[] =
    "Usage: mobrelle [--home DIR] [icon]\n"
    "       mobrelle [--home DIR] --check\n"
    "       mobrelle --analyse FILE\n"
    "Watches POP3 mailboxes from the notification area and filters spam on the servers.\n"
    "  --home DIR   keep the configuration, filter and history files in DIR\n"
    "  icon         (first argument, any letter case) start hidden in the notification area\n"
    "  --check      check every mailbox once without a window: alerts settle as their countdown\n"
    "               would; prints the listed messages (tab-separated) and a line per mailbox, saves\n"
    "               the filter lists; exit 0, 1 when a mailbox could not be reached, 2 when the\n"
    "               window runs on the same folder\n"
    "  --analyse FILE  list the parts and attachments of a saved message (or the members of a ZIP\n"
    "               archive), tab-separated, and exit\n"
    "  --version    print the version and exit\n"
    "  --help       print this help and exit\n";


}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine cl;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--home") == 0) {
      if (i + 1 >= argc) {
        cl.error = "--home needs a folder";
        return cl;
      }
      cl.home = QString::fromLocal8Bit(argv[++i]);
    } else if (std::strncmp(a, "--home=", 7) == 0) {
      cl.home = QString::fromLocal8Bit(a + 7);
    } else if (std::strcmp(a, "--analyse") == 0) {
      if (i + 1 >= argc) {
        cl.error = "--analyse needs a file";
        return cl;
      }
      cl.analyse = argv[++i];
    } else if (std::strcmp(a, "--check") == 0) {
      cl.check = true;
    } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      cl.help = true;
    } else if (std::strcmp(a, "--version") == 0) {
      cl.version = true;
    } else if (!cl.firstArgument) {
      cl.firstArgument = a;
    }
  }
  return cl;
}

std::optional<int> RunWithoutWindow(const CommandLine& cl, int argc, char** argv) {
  if (!cl.error.empty()) {
    std::fprintf(stderr, "mobrelle: %s\n%s", cl.error.c_str(), kUsage);
    return 2;
  }
  if (cl.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (cl.analyse) return RunAnalyseCommand(*cl.analyse, std::cout, std::cerr);
  if (cl.version) {
    std::printf("%s\n", kVersionString);
    return 0;
  }
  if (!cl.check) return std::nullopt;

  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("Mobrelle");
  const QString folder = ResolveProgramFolder(cl.home, QCoreApplication::applicationDirPath());
  ProgramFolder::Set(folder);
  QDir::setCurrent(folder);
  const bool several = ReadSeveralInstances(IniFile(ProgramFolder::IniPath()));
  return RunHeadlessCheck(folder, several, std::cout, std::cerr);
}

}  // namespace mobrelle
