#include "ui/mail_program/mail_program.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>

#include "app/core/main_settings.h"
#include "app/key_state.h"
#include "app/qt_text.h"
#include "ui/mail_program/command_line.h"
#include "ui/mail_program/desktop_entry.h"

namespace mobrelle {
namespace {

constexpr int kXdgMimeStartMs = 3000;
constexpr int kXdgMimeFinishMs = 5000;
constexpr qint64 kXdgMimeMaxOutput = 4096;

QIcon IconFromFile(const QString& path, int number) {
  QImageReader reader(path);
  if (!reader.canRead()) return {};
  if (number == 0) return QIcon(path);
  if (number >= reader.imageCount() || !reader.jumpToImage(number)) return {};
  const QImage image = reader.read();
  return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

// A theme icon, or the same name among the usual icon folders when no theme has it.
QIcon IconFromName(const QString& name) {
  if (name.isEmpty() || name.contains('/')) return {};
  QIcon icon = QIcon::fromTheme(name);
  if (!icon.isNull()) return icon;
  const XdgDirs dirs = XdgDirs::FromEnvironment();
  std::vector<std::string> roots{dirs.DataHome};
  roots.insert(roots.end(), dirs.DataDirs.begin(), dirs.DataDirs.end());
  static const char* const kSizes[] = {"scalable", "256x256", "128x128", "64x64", "48x48", "32x32"};
  static const char* const kTypes[] = {".svg", ".png", ".xpm"};
  for (const std::string& root : roots) {
    const QString base = QFile::decodeName(QByteArray::fromStdString(root));
    QStringList candidates;
    for (const char* size : kSizes)
      for (const char* type : kTypes) candidates << base + "/icons/hicolor/" + size + "/apps/" + name + type;
    for (const char* type : kTypes) candidates << base + "/pixmaps/" + name + type;
    for (const QString& c : candidates)
      if (QFileInfo(c).isFile())
        if (QIcon found = IconFromFile(c, 0); !found.isNull()) return found;
  }
  return {};
}

bool IsFile(const std::string& path) { return QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).isFile(); }

}  // namespace

MailProgramActions MailProgramActions::System() {
  MailProgramActions a;
  a.OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  a.StartDetached = [](const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
  };
  a.SetClipboardText = [](const QString& text) { QGuiApplication::clipboard()->setText(text); };
  return a;
}

std::optional<std::string> QueryXdgMime() {
  const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
  if (xdgMime.isEmpty()) return std::nullopt;
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start(xdgMime, {"query", "default", kMailtoScheme});
  if (!p.waitForStarted(kXdgMimeStartMs)) return std::string();
  if (!p.waitForFinished(kXdgMimeFinishMs)) {
    p.kill();
    p.waitForFinished(1000);
    return std::string();
  }
  return p.read(kXdgMimeMaxOutput).toStdString();
}

MailtoHandler LookUpMailtoHandler() { return FindMailtoHandler(XdgDirs::FromEnvironment(), QueryXdgMime()); }

QString QuoteArgument(const QString& argument) {
  if (!argument.isEmpty() && !argument.contains(' ') && !argument.contains('\t') && !argument.contains('\n') &&
      !argument.contains('\r') && !argument.contains('"'))
    return argument;
  QString escaped = argument;
  escaped.replace('"', "\"\"\"");
  return '"' + escaped + '"';
}

MailProgramSetup SetUpMailProgram(const MainSettings& settings) {
  return SetUpMailProgram(settings.Messager, LookUpMailtoHandler());
}

MailProgramSetup SetUpMailProgram(const std::string& messagerCp1252, const MailtoHandler& handler) {
  MailProgramSetup s;
  s.Handler = handler;
  s.MailClientCommand = ToQt(messagerCp1252);

  // The entry's icon: an absolute file (existing, by the command-line rules) or a theme name.
  QIcon entryIcon;
  if (handler.Icon && !handler.Icon->empty()) {
    const std::string& v = *handler.Icon;
    s.IconNumber = IconNumber(v);
    if (v.front() == '/') {
      s.IconFile = QFile::decodeName(QByteArray::fromStdString(ExecutableFromCommand(v)));
      if (!s.IconFile.isEmpty()) entryIcon = IconFromFile(s.IconFile, s.IconNumber);
    } else {
      s.IconName = QString::fromStdString(v);
      entryIcon = IconFromName(s.IconName);
    }
  }
  s.ReplyIcon = entryIcon;

  std::vector<std::string> args;
  if (handler.Exec) args = RemoveFieldCodes(SplitExec(*handler.Exec));
  if (!args.empty()) {
    const char* path = std::getenv("PATH");
    const std::string program = FindInPath(args.front(), path ? path : "");
    // The quoting of the entry already names the program exactly; the command-line rules are for
    // what it does not name as it stands (a leading %VAR%, a path to shorten).
    std::string file;
    if (!program.empty()) file = IsFile(program) ? program : ExecutableFromCommand("\"" + program + "\"");
    s.ProgramFile = QFile::decodeName(QByteArray::fromStdString(file));
  }
  if (!s.ProgramFile.isEmpty()) {
    s.LaunchIcon = entryIcon;
    if (s.MailClientCommand.isEmpty()) {
      // The handler's own command without the address it would be given: the program opens as
      // the user starts it, whatever wrapper (flatpak, env) the entry goes through.
      QStringList parts{QuoteArgument(s.ProgramFile)};
      for (size_t i = 1; i < args.size(); ++i) parts << QuoteArgument(QString::fromUtf8(args[i].data(), qsizetype(args[i].size())));
      s.MailClientCommand = parts.join(' ');
    }
  }
  return s;
}

LaunchResult LaunchMailProgram(const MailProgramSetup& setup, const MailProgramActions& actions) {
  LaunchResult r;
  if (KeyState::Ctrl() && KeyState::Alt()) {
    const std::string text = DiagnosticText(LookUpMailtoHandler());
    actions.SetClipboardText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    actions.OpenUrl(QUrl::fromEncoded(QByteArray::fromStdString(SupportMailto()), QUrl::StrictMode));
    r.What = LaunchResult::Diagnostic;
    return r;
  }
  QStringList parts = QProcess::splitCommand(setup.MailClientCommand);
  if (!parts.isEmpty()) {
    const QString program = parts.takeFirst();
    if (actions.StartDetached(program, parts)) return r;
  }
  r.What = LaunchResult::Failed;
  r.ErrorCp1252 = LaunchFailureText(FromQt(setup.MailClientCommand));
  return r;
}

void ReplyToMessage(const std::string& sender, const std::string& subject, const MailProgramActions& actions) {
  actions.OpenUrl(QUrl::fromEncoded(QByteArray::fromStdString(ReplyMailto(sender, subject)), QUrl::StrictMode));
}

void CopyMessageField(const std::string& field, const MailProgramActions& actions) {
  actions.SetClipboardText(ToQt(StripFilterNote(field)));
}

}  // namespace mobrelle
