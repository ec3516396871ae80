// The window program: one instance per program folder, the main window, the deferred start-up, the
// loop. It also does whatever the console front does, so it can stand alone.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <exception>
#include <optional>

#include "app/check_lock.h"
#include "app/command_line.h"
#include "app/core/ini_file.h"
#include "app/core/main_settings.h"
#include "app/program_folder.h"
#include "app/single_instance.h"
#include "app/termination_signals.h"
#include "ui/main_window/tform1.h"

int main(int argc, char** argv) {
  const mobrelle::CommandLine cl = mobrelle::ParseCommandLine(argc, argv);
  if (const std::optional<int> done = mobrelle::RunWithoutWindow(cl, argc, argv)) return *done;

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
