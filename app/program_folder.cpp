#include "app/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace mobrelle {
namespace {
QString& Current() {
  static QString folder;
  return folder;
}
}  // namespace

QString ResolveProgramFolder(const QString& home, const QString& executableFolder) {
  QString folder;
  if (!home.isEmpty()) {
    folder = QDir(home).absolutePath();
  } else if (QFileInfo(executableFolder).isWritable()) {
    folder = executableFolder;
  } else {
    folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Mobrelle";
  }
  QDir().mkpath(folder);
  return QDir(folder).canonicalPath().isEmpty() ? folder : QDir(folder).canonicalPath();
}

void ProgramFolder::Set(const QString& folder) { Current() = folder; }
const QString& ProgramFolder::Path() { return Current(); }
QString ShippedFile(const QString& name) {
  const QString exe = QCoreApplication::applicationDirPath();
  for (const QString& folder : {exe, exe + "/../share/mobrelle"}) {
    const QString path = QDir::cleanPath(folder + "/" + name);
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

QString ProgramFolder::File(const QString& name) { return Current() + "/" + name; }
std::string ProgramFolder::IniPath() { return QFile::encodeName(File("Mobrelle.ini")).toStdString(); }

}  // namespace mobrelle
