#include "app/startup.h"

#include "app/app_core.h"
#include "app/core/cp1252.h"
#include "app/core/old_filter_conversion.h"
#include "app/core/stored_password.h"
#include "app/core/texts.h"

namespace mobrelle {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

AppCore::AppCore(const std::string& iniPath) : Ini(iniPath), Mailboxes(Ini) {}

void PrepareCore(AppCore& core, bool ctrlHeld) {
  core.PasswordPromptCaption = Txt(1001);
  if (ctrlHeld) core.VersionCheckDone = true;
  core.Log.ShowStatus(1, kVersionString);
  core.MonthNames = SplitLines(Txt(1002));
}

bool UnlockAtStartup(AppCore& core, const PasswordPrompt& ask) {
  core.LockPassword = UnscramblePassword(core.Ini.ReadString(kSettingsSection, "Protege", ""));
  if (core.LockPassword.empty()) return true;
  const auto answer = ask(core.PasswordPromptCaption, Txt(1003));
  if (!answer || answer->empty() || *answer != core.LockPassword) return false;
  core.IsProtected = true;
  core.Mailboxes.SetLockPassword(core.LockPassword);
  return true;
}

std::vector<std::string> MailboxSectionNames(const AppCore& core) {
  std::vector<std::string> names;
  for (const auto& s : core.Ini.ReadSections())
    if (!SameText(s, kSettingsSection) && !SameText(s, kJokersSection)) names.push_back(s);
  return names;
}

void LoadAccountsAndSettings(AppCore& core, const std::string& programFolder) {
  core.Settings.LoadStartupKeys(core.Ini);
  if (NeedsOldFilterConversion(core.Settings.Version)) ConvertOldFilterFiles(programFolder);
  core.Jokers = LoadCustomJokers(core.Ini);
  core.Mailboxes.LoadAll(MailboxSectionNames(core));
  core.Settings.LoadSettingsKeys(core.Ini);
  core.Log.SetMaxEvents(core.Settings.NbEvenements);
}

bool StartsInTray(const std::optional<std::string>& firstArgument) {
  return firstArgument && LowerCase(*firstArgument).find("icon") != std::string::npos;
}

}  // namespace mobrelle
