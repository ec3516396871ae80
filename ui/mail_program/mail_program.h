#pragma once
// The user's mail program: found once at start (the "Messager" setting, else the desktop's
// "mailto:" handler), started by the launch command, given "mailto:" replies; and the copy of a
// message field. The window calls these from its handlers and shows what they return. The outside
// effects go through MailProgramActions so that tests record them instead.

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>
#include <string>

#include "ui/mail_program/mailto_handler.h"

namespace mobrelle {

struct MainSettings;

struct MailProgramSetup {
  // The command the launch runs: "Messager" when set, else the handler's Exec without its field
  // codes (empty when its program is not found). Never changed after the set-up.
  QString MailClientCommand;
  QString ProgramFile;   // the handler's program, an existing file; empty when none
  QString IconName;      // the entry's Icon: a theme name ...
  QString IconFile;      // ... or an existing icon file
  int IconNumber = 0;
  QIcon ReplyIcon;       // for the reply item; null: keep the default image
  QIcon LaunchIcon;      // for the launch item and button; null: keep the default image
  MailtoHandler Handler; // what was looked at
};

struct MailProgramActions {
  std::function<bool(const QUrl&)> OpenUrl;
  std::function<bool(const QString& program, const QStringList& arguments)> StartDetached;
  std::function<void(const QString&)> SetClipboardText;

  // QDesktopServices::openUrl, QProcess::startDetached and the system clipboard.
  static MailProgramActions System();
};

// The xdg-mime answer when xdg-mime is in PATH (bounded wait and output); nullopt without it.
std::optional<std::string> QueryXdgMime();
// FindMailtoHandler over the XDG folders of the environment and QueryXdgMime's answer.
MailtoHandler LookUpMailtoHandler();

MailProgramSetup SetUpMailProgram(const MainSettings& settings);
// The same from a handler already looked up, for tests and for callers that have one.
MailProgramSetup SetUpMailProgram(const std::string& messagerCp1252, const MailtoHandler& handler);

// Quotes an argument for QProcess::splitCommand when it needs it. (splitCommand drops empty
// arguments whatever their quoting, so an empty one does not survive.)
QString QuoteArgument(const QString& argument);

struct LaunchResult {
  enum Kind { Launched, Diagnostic, Failed } What = Launched;
  std::string ErrorCp1252;  // Failed: text 1057 with the command, for a message box
};
// Ctrl and Alt held (KeyState): the diagnostic goes to the clipboard and the support report is
// opened; nothing is launched. Otherwise MailClientCommand is started. The caller gives the
// message list the focus first.
LaunchResult LaunchMailProgram(const MailProgramSetup& setup, const MailProgramActions& actions);

// The reply address of a message row (fields 0 and 1, Windows-1252), opened.
void ReplyToMessage(const std::string& sender, const std::string& subject, const MailProgramActions& actions);
// Field N of a message row on the clipboard, without its filter note.
void CopyMessageField(const std::string& field, const MailProgramActions& actions);

}  // namespace mobrelle
