// Program entry: one instance per program folder, the main window, the deferred start-up, the loop.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "app/check_lock.h"
#include "app/core/ini_file.h"
#include "app/core/main_settings.h"
#include "app/program_folder.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "inspect/analysis/analyse_command.h"
#include "polling/check/headless_check.h"
#include "ui/main_window/tform1.h"

namespace {

struct CommandLine {
  QString home;
  std::optional<std::string> firstArgument;  // the first argument that is not one of the options below
  std::optional<std::string> analyse;  // --analyse FILE
  bool check = false;  // --check
  bool help = false;
  bool version = false;
  std::string error;
};

CommandLine Parse(int argc, char** argv) {
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

int main(int argc, char** argv) {
  const CommandLine cl = Parse(argc, argv);
  if (!cl.error.empty()) {
    std::fprintf(stderr, "mobrelle: %s\n%s", cl.error.c_str(), kUsage);
    return 2;
  }
  if (cl.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (cl.analyse) return mobrelle::RunAnalyseCommand(*cl.analyse, std::cout, std::cerr);
  if (cl.version) {
    std::printf("%s\n", mobrelle::kVersionString);
    return 0;
  }

  if (cl.check) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Mobrelle");
    const QString folder = mobrelle::ResolveProgramFolder(cl.home, QCoreApplication::applicationDirPath());
    mobrelle::ProgramFolder::Set(folder);
    QDir::setCurrent(folder);
    const bool several = mobrelle::ReadSeveralInstances(mobrelle::IniFile(mobrelle::ProgramFolder::IniPath()));
    return mobrelle::RunHeadlessCheck(folder, several, std::cout, std::cerr);
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Mobrelle");
  QApplication::setQuitOnLastWindowClosed(false);

  const QString folder = mobrelle::ResolveProgramFolder(cl.home, QApplication::applicationDirPath());
  mobrelle::ProgramFolder::Set(folder);
  QDir::setCurrent(folder);  // the program's files are bare names in its folder

  const bool several = mobrelle::ReadSeveralInstances(mobrelle::IniFile(mobrelle::ProgramFolder::IniPath()));
  // Caught from here on: a termination that comes while the window is being built is answered once
  // the event loop runs, with the settings saved.
  mobrelle::TerminationSignals termination;
  mobrelle::SingleInstance instance(folder);
  if (!several && !instance.Acquire()) return 0;  // the running instance has been told
  // A "mobrelle --check" on the same folder saves the same lists: wait until it is done, and say so.
  {
    QLabel note(QString::fromUtf8("Mobrelle attend la fin de la v\u00e9rification en cours (mobrelle --check) "
                                  "sur ce dossier..."));
    note.setWindowTitle("Mobrelle");
    note.setMargin(24);
    mobrelle::WaitForCheckToEnd(folder, [&note] { note.show(); });
  }

  try {
    mobrelle::TForm1 form({mobrelle::ProgramFolder::IniPath(), QFile::encodeName(folder).toStdString(),
                           cl.firstArgument});
    if (!form.FormCreate()) return 0;
    QObject::connect(&instance, &mobrelle::SingleInstance::requestReceived, &form, &mobrelle::TForm1::HandleRequest);
    QObject::connect(&termination, &mobrelle::TerminationSignals::terminationRequested, &form,
                     &mobrelle::TForm1::Quitter1Click);
    form.show();
    QMetaObject::invokeMethod(
        &form, [&form] { form.HandleRequest(mobrelle::kRequestDeferredStartup); }, Qt::QueuedConnection);
    return app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "Mobrelle", QString::fromLocal8Bit(e.what()));
    return 1;
  }
}
