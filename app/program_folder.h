#pragma once
// Where the program keeps its files: the folder of the executable when it is writable (a build or a
// portable install), otherwise the per-user data folder; "--home DIR" overrides both.

#include <QString>

namespace mobrelle {

// `home` is the value of --home, empty when not given. The folder is created when missing.
QString ResolveProgramFolder(const QString& home, const QString& executableFolder);

// Where a file shipped with the program is: beside the executable (a build or a portable
// install), else in the installed share folder. Empty when it is in neither.
QString ShippedFile(const QString& name);

// Path of a file in the program folder ("Mobrelle.ini", "Mobrelle.rej"...).
class ProgramFolder {
 public:
  static void Set(const QString& folder);
  static const QString& Path();
  static QString File(const QString& name);
  static std::string IniPath();  // the configuration file, as a local 8-bit path
};

}  // namespace mobrelle
