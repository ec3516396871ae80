// Finding the desktop's mailto handler in a temporary XDG tree, the set-up from it and from the
// "Messager" setting, launching, the Ctrl+Alt diagnostic, the reply and the copy.
#include "ui/mail_program/mail_program.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <filesystem>
#include <string>
#include <vector>

#include "app/key_state.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/mail_program/scoped_env.h"
#include "ui/mail_program/command_line.h"

namespace mobrelle {
namespace {

using test::ReadFileBytes;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFileBytes;

// A home with its own XDG folders, PATH limited to its bin/ (plus /bin for the scripts' shell).
class XdgTree {
 public:
  XdgTree() {
    for (const char* d : {"config", "etc-xdg", "data/applications", "share/applications", "bin", "icons"})
      std::filesystem::create_directories(dir_.File(d));
    env_.Set("HOME", dir_.Path());
    env_.Set("XDG_CONFIG_HOME", dir_.File("config"));
    env_.Set("XDG_CONFIG_DIRS", dir_.File("etc-xdg"));
    env_.Set("XDG_DATA_HOME", dir_.File("data"));
    env_.Set("XDG_DATA_DIRS", dir_.File("share"));
    env_.Set("XDG_CURRENT_DESKTOP", "Test");
    env_.Set("PATH", dir_.File("bin"));
  }
  std::string File(const std::string& name) const { return dir_.File(name); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
    WriteFileBytes(File(name), bytes);
  }
  std::string Program(const std::string& name, const std::string& script = "exit 0\n") const {
    Write("bin/" + name, "#!/bin/sh\n" + script);
    ::chmod(File("bin/" + name).c_str(), 0755);
    return File("bin/" + name);
  }
  std::string Entry(const std::string& rel, const std::string& exec, const std::string& icon) const {
    Write(rel, "[Desktop Entry]\nType=Application\nName=Mail\nExec=" + exec + "\nIcon=" + icon + "\n");
    return File(rel);
  }
  std::string Png(const std::string& name) const {
    std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    EXPECT_TRUE(image.save(QString::fromStdString(File(name)), "PNG"));
    return File(name);
  }
  ScopedEnv& Env() { return env_; }

 private:
  TempDir dir_;
  ScopedEnv env_;
};

// Records what would have left the program.
struct Recorder {
  std::vector<std::string> urls;
  std::vector<QStringList> started;  // program first
  std::vector<QString> clipboard;
  bool startResult = true;

  MailProgramActions Actions() {
    MailProgramActions a;
    a.OpenUrl = [this](const QUrl& u) {
      urls.push_back(u.toEncoded().toStdString());
      return true;
    };
    a.StartDetached = [this](const QString& p, const QStringList& args) {
      started.push_back(QStringList{p} + args);
      return startResult;
    };
    a.SetClipboardText = [this](const QString& t) { clipboard.push_back(t); };
    return a;
  }
};

struct KeysHeld {
  explicit KeysHeld(Qt::KeyboardModifiers m) {
    KeyState::SetSourceForTests([m] { return m; });
  }
  ~KeysHeld() { KeyState::SetSourceForTests({}); }
};

TEST(MailtoHandler, MimeAppsListsInTheirOrder) {
  XdgTree t;
  t.Program("mymail");
  t.Program("other");
  const std::string mine = t.Entry("share/applications/mymail.desktop", "mymail %u", "mymail");
  const std::string other = t.Entry("data/applications/other.desktop", "other %u", "other");
  t.Entry("share/applications/hidden.desktop", "hidden", "x");
  t.Write("share/applications/hidden.desktop", "[Desktop Entry]\nHidden=true\nExec=hidden\n");

  // Only the data folders' list: its first entry that exists and is not hidden.
  t.Write("share/applications/mimeapps.list",
          "[Default Applications]\nx-scheme-handler/mailto=gone.desktop;hidden.desktop;mymail.desktop;\n");
  MailtoHandler h = FindMailtoHandler(XdgDirs::FromEnvironment(), std::nullopt);
  EXPECT_EQ(h.DesktopFile, mine);
  EXPECT_EQ(h.MimeAppsFile, t.File("share/applications/mimeapps.list"));
  EXPECT_EQ(h.DesktopId, "mymail.desktop");
  EXPECT_EQ(h.Exec, "mymail %u");

  // A config list that names only missing entries is passed over.
  t.Write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=gone.desktop\n");
  EXPECT_EQ(FindMailtoHandler(XdgDirs::FromEnvironment(), std::nullopt).DesktopFile, mine);

  // The system config list comes before the data folders; the desktop's own list before the plain one.
  t.Write("etc-xdg/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=other.desktop\n");
  EXPECT_EQ(FindMailtoHandler(XdgDirs::FromEnvironment(), std::nullopt).DesktopFile, other);
  t.Write("config/test-mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=mymail.desktop\n");
  h = FindMailtoHandler(XdgDirs::FromEnvironment(), std::nullopt);
  EXPECT_EQ(h.DesktopFile, mine);
  EXPECT_EQ(h.MimeAppsFile, t.File("config/test-mimeapps.list"));
  EXPECT_EQ(h.MimeAppsLine, "x-scheme-handler/mailto=mymail.desktop");
}

TEST(MailtoHandler, WithoutADefaultTheAssociations) {
  XdgTree t;
  const std::string cached = t.Entry("share/applications/cached.desktop", "cached %u", "c");
  const std::string added = t.Entry("share/applications/added.desktop", "added %u", "a");
  t.Entry("share/applications/removed.desktop", "removed %u", "r");
  t.Write("share/applications/mimeinfo.cache",
          "[MIME Cache]\nx-scheme-handler/mailto=removed.desktop;cached.desktop;\n");
  t.Write("config/mimeapps.list", "[Removed Associations]\nx-scheme-handler/mailto=removed.desktop;\n");
  MailtoHandler h = FindMailtoHandler(XdgDirs::FromEnvironment(), std::nullopt);
  EXPECT_EQ(h.DesktopFile, cached);
  EXPECT_EQ(h.MimeAppsFile, t.File("share/applications/mimeinfo.cache"));

  t.Write("share/applications/mimeapps.list", "[Added Associations]\nx-scheme-handler/mailto=added.desktop;\n");
  EXPECT_EQ(FindMailtoHandler(XdgDirs::FromEnvironment(), std::nullopt).DesktopFile, added);
  // A default anywhere beats every association.
  t.Write("share/applications/mimeapps.list",
          "[Added Associations]\nx-scheme-handler/mailto=added.desktop;\n"
          "[Default Applications]\nx-scheme-handler/mailto=cached.desktop\n");
  EXPECT_EQ(FindMailtoHandler(XdgDirs::FromEnvironment(), std::nullopt).DesktopFile, cached);
}

TEST(MailtoHandler, DesktopIdsInSubfoldersAndUnsafeIds) {
  XdgTree t;
  const std::string kmail = t.Entry("share/applications/kde/mail/kmail.desktop", "kmail %u", "kmail");
  const XdgDirs dirs = XdgDirs::FromEnvironment();
  EXPECT_EQ(FindDesktopFile(dirs, "kde-mail-kmail.desktop"), kmail);
  t.Entry("share/secret.desktop", "x", "x");
  EXPECT_EQ(FindDesktopFile(dirs, "../secret.desktop"), "");
  EXPECT_EQ(FindDesktopFile(dirs, ".."), "");
}

TEST(MailtoHandler, XdgMimeAnswerWhenItIsThere) {
  XdgTree t;
  t.Program("mymail");
  t.Program("other");
  t.Entry("share/applications/mymail.desktop", "mymail %u", "mymail");
  const std::string other = t.Entry("share/applications/other.desktop", "other %u", "other");
  t.Write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=mymail.desktop\n");
  EXPECT_FALSE(QueryXdgMime().has_value());  // none in PATH: the lists decide
  EXPECT_EQ(LookUpMailtoHandler().DesktopId, "mymail.desktop");

  t.Program("xdg-mime", "echo \"$@\" > \"" + t.File("xdg-mime-args") + "\"\necho other.desktop\n");
  const MailtoHandler h = LookUpMailtoHandler();
  EXPECT_EQ(ReadFileBytes(t.File("xdg-mime-args")), "query default x-scheme-handler/mailto\n");
  EXPECT_TRUE(h.AskedXdgMime);
  EXPECT_EQ(h.XdgMimeAnswer, "other.desktop");
  EXPECT_EQ(h.DesktopFile, other);
  EXPECT_EQ(h.MimeAppsFile, "");

  // xdg-mime with no answer: the lists decide.
  t.Program("xdg-mime", "exit 1\n");
  EXPECT_EQ(LookUpMailtoHandler().DesktopId, "mymail.desktop");
}

TEST(SetUpMailProgram, FromTheHandler) {
  XdgTree t;
  const std::string prog = t.Program("my mail");
  const std::string icon = t.Png("icons/mail.png");
  t.Entry("share/applications/m.desktop", "\"my mail\" -caption %c --new %U", icon);
  t.Write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=m.desktop\n");

  const MailProgramSetup s = SetUpMailProgram("", LookUpMailtoHandler());
  EXPECT_EQ(s.ProgramFile.toStdString(), prog);
  EXPECT_EQ(s.IconFile.toStdString(), icon);
  EXPECT_EQ(s.IconNumber, 0);
  EXPECT_FALSE(s.ReplyIcon.isNull());
  EXPECT_FALSE(s.LaunchIcon.isNull());
  // The program quoted for splitting, its arguments without the field codes.
  EXPECT_EQ(s.MailClientCommand.toStdString(), "\"" + prog + "\" -caption --new");
  EXPECT_EQ(QProcess::splitCommand(s.MailClientCommand), (QStringList{QString::fromStdString(prog), "-caption", "--new"}));
}

TEST(SetUpMailProgram, IconsByThemeNameAndMissingPrograms) {
  XdgTree t;
  t.Png("share/pixmaps/mailer.png");
  t.Entry("share/applications/m.desktop", "notinstalled %u", "mailer");
  t.Write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=m.desktop\n");
  const MailProgramSetup s = SetUpMailProgram("", LookUpMailtoHandler());
  EXPECT_EQ(s.IconName, "mailer");
  EXPECT_FALSE(s.ReplyIcon.isNull());
  // No program: no launch image and no command from the desktop side.
  EXPECT_TRUE(s.ProgramFile.isEmpty());
  EXPECT_TRUE(s.LaunchIcon.isNull());
  EXPECT_TRUE(s.MailClientCommand.isEmpty());

  // Nothing registered at all: the default images stay.
  const MailProgramSetup none = SetUpMailProgram("", MailtoHandler{});
  EXPECT_TRUE(none.ReplyIcon.isNull());
  EXPECT_TRUE(none.LaunchIcon.isNull());
  EXPECT_TRUE(none.MailClientCommand.isEmpty());
}

TEST(SetUpMailProgram, MessagerWinsButTheHandlersIconStays) {
  XdgTree t;
  t.Program("mymail");
  const std::string icon = t.Png("icons/mail.png");
  t.Entry("share/applications/m.desktop", "mymail %u", icon);
  t.Write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=m.desktop\n");
  // Windows-1252 setting, shown and run as Unicode.
  const MailProgramSetup s = SetUpMailProgram("mutt -F \"/home/j\xE9r\xF4me/.muttrc\"", LookUpMailtoHandler());
  EXPECT_EQ(s.MailClientCommand, QString::fromUtf8("mutt -F \"/home/jérôme/.muttrc\""));
  EXPECT_EQ(s.ProgramFile.toStdString(), t.File("bin/mymail"));
  EXPECT_FALSE(s.LaunchIcon.isNull());

  Recorder r;
  KeysHeld none(Qt::NoModifier);
  EXPECT_EQ(LaunchMailProgram(s, r.Actions()).What, LaunchResult::Launched);
  ASSERT_EQ(r.started.size(), 1u);
  EXPECT_EQ(r.started[0], (QStringList{"mutt", "-F", QString::fromUtf8("/home/jérôme/.muttrc")}));
}

TEST(LaunchMailProgram, FailuresGiveText1057WithTheCommand) {
  KeysHeld none(Qt::NoModifier);
  Recorder r;
  MailProgramSetup s;
  LaunchResult res = LaunchMailProgram(s, r.Actions());
  EXPECT_EQ(res.What, LaunchResult::Failed);
  EXPECT_EQ(res.ErrorCp1252, "Ne peut pas lancer le client de messagerie \"\"");
  EXPECT_TRUE(r.started.empty());

  r.startResult = false;
  s.MailClientCommand = QString::fromUtf8("courriel-absent -é");
  res = LaunchMailProgram(s, r.Actions());
  EXPECT_EQ(res.What, LaunchResult::Failed);
  EXPECT_EQ(res.ErrorCp1252, "Ne peut pas lancer le client de messagerie \"courriel-absent -\xE9\"");

  // The real process start reports a program that is not there.
  s.MailClientCommand = "/nonexistent/mobrelle-mailer";
  EXPECT_EQ(LaunchMailProgram(s, MailProgramActions::System()).What, LaunchResult::Failed);
}

TEST(LaunchMailProgram, StartsTheProgramWithItsArguments) {
  XdgTree t;
  const std::string out = t.File("started");
  const std::string prog = t.Program("my mail", "printf '%s|' \"$@\" > \"" + out + ".tmp\"; /bin/mv \"" + out + ".tmp\" \"" + out + "\"\n");
  MailProgramSetup s;
  s.MailClientCommand = QuoteArgument(QString::fromStdString(prog)) + " -a \"b c\"";
  KeysHeld ctrlOnly(Qt::ControlModifier);  // Ctrl alone launches
  ASSERT_EQ(LaunchMailProgram(s, MailProgramActions::System()).What, LaunchResult::Launched);
  for (int i = 0; i < 200 && !std::filesystem::exists(out); ++i) QThread::msleep(25);
  EXPECT_EQ(ReadFileBytes(out), "-a|b c|");
}

TEST(LaunchMailProgram, CtrlAltCopiesTheDiagnosticAndOpensTheReport) {
  XdgTree t;
  t.Program("mymail");
  const std::string entry = t.Entry("share/applications/m.desktop", "mymail --x\\\\sy %u", "mail-icon");
  t.Write("config/mimeapps.list", "[Default Applications]\r\nx-scheme-handler/mailto=m.desktop\r\n");
  MailProgramSetup s;
  s.MailClientCommand = "mymail";
  Recorder r;
  KeysHeld both(Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(LaunchMailProgram(s, r.Actions()).What, LaunchResult::Diagnostic);
  EXPECT_TRUE(r.started.empty());
  ASSERT_EQ(r.clipboard.size(), 1u);
  EXPECT_EQ(r.clipboard[0].toStdString(),
            t.File("config/mimeapps.list") + " :\r\nx-scheme-handler/mailto=m.desktop\r\n\r\n" + entry +
                " [Desktop Entry] Icon :\r\nmail-icon\r\n\r\n" + entry +
                " [Desktop Entry] Exec :\r\nmymail --x\\sy %u");
  ASSERT_EQ(r.urls.size(), 1u);
  EXPECT_EQ(r.urls[0], SupportMailto());

  // Through xdg-mime, with an entry it names that is not installed.
  t.Program("xdg-mime", "echo gone.desktop\n");
  r.clipboard.clear();
  LaunchMailProgram(s, r.Actions());
  ASSERT_EQ(r.clipboard.size(), 1u);
  EXPECT_EQ(r.clipboard[0].toStdString(),
            "xdg-mime query default x-scheme-handler/mailto :\r\ngone.desktop\r\n\r\n"
            "gone.desktop (not found) Icon :\r\n\r\n\r\ngone.desktop (not found) Exec :\r\n");
}

TEST(MessageCommands, ReplyAndCopyWithoutTheFilterNote) {
  Recorder r;
  ReplyToMessage("spam@exemple.fr\xA0(*@exemple.fr)\xA0", "Prix\xA0(prix)\xA0 & co", r.Actions());
  ASSERT_EQ(r.urls.size(), 1u);
  EXPECT_EQ(r.urls[0], "mailto:spam@exemple.fr?subject=Re%3A%20Prix");

  for (const std::string& field : {std::string("jean@maison.fr\xA0(jean)\xA0"), std::string("R\xE9union\xA0(x)")})
    CopyMessageField(field, r.Actions());
  EXPECT_EQ(r.clipboard, (std::vector<QString>{"jean@maison.fr", QString::fromUtf8("Réunion")}));
}

TEST(QuoteArgument, SplitsBackToTheSameArgument) {
  for (const char* a : {"plain", "with space", "quo\"te", "tab\there", "\"\""})
    EXPECT_EQ(QProcess::splitCommand(QuoteArgument(a) + " next"), (QStringList{a, "next"})) << a;
}

}  // namespace
}  // namespace mobrelle
