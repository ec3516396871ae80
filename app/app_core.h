#pragma once
// The state the whole program shares, owned by the main window for the run: the configuration
// file, the settings, the mailbox accounts, the event log and the process-wide flags and lists.

#include <QString>
#include <string>
#include <vector>

#include "app/core/custom_jokers.h"
#include "app/core/ini_file.h"
#include "app/core/main_settings.h"
#include "app/core/status_log.h"
#include "app/mailbox_list_model.h"
#include "filters/verdicts/filter_state.h"

namespace mobrelle {

struct AppCore {
  explicit AppCore(const std::string& iniPath);

  IniFile Ini;
  MainSettings Settings;
  StatusLog Log;
  MailboxListModel Mailboxes;
  CustomJokers Jokers;
  FilterState Filters;

  // Sender addresses found to exist / not to exist during this run.
  std::vector<std::string> GoodSenders, BadSenders;
  std::vector<std::string> RecipientWords;  // work list of the recipient filters
  std::vector<std::string> MonthNames;      // "Jan" .. "Dec", for date decoding

  bool VersionCheckDone = false;  // set by Ctrl at start, and after the first completed check
  bool SchedulerActive = true;
  bool IsProtected = false;
  bool ShowSenderCounts = false;  // the status bar's " Ex=" and "  Inex=" counts
  std::string LockPassword;  // clear text
  std::string PasswordPromptCaption;
};

}  // namespace mobrelle
