#include "polling/check/headless_check.h"

#include <QFile>
#include <set>
#include <string>

#include "app/app_core.h"
#include "app/check_lock.h"
#include "app/core/cp1252.h"
#include "app/core/texts.h"
#include "app/program_folder.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "filters/lists/history_dates.h"
#include "polling/check/check_cycle.h"
#include "polling/check/quiet_view.h"

namespace mobrelle {

namespace {

// Tabs and line breaks inside a field would split the line for a script.
void AppendField(std::string& line, const std::string& cp1252) {
  const size_t from = line.size();
  AppendCp1252AsUtf8(line, cp1252);
  for (size_t i = from; i < line.size(); ++i)
    if (line[i] == '\t' || line[i] == '\r' || line[i] == '\n') line[i] = ' ';
}

std::string Field(const std::string& cp1252) {
  std::string out;
  AppendField(out, cp1252);
  return out;
}

}  // namespace

int RunHeadlessCheck(const QString& folder, bool severalInstances, std::ostream& out, std::ostream& err) {
  // The lock first, then the look for a window: a window that starts now waits for this lock.
  CheckLock lock(folder);
  if (!lock.TryLock(60000)) {
    err << "mobrelle: another \"mobrelle --check\" is running on " << folder.toStdString() << "\n";
    return 2;
  }
  if (!severalInstances && SingleInstance::IsRunning(folder)) {
    err << "mobrelle: Mobrelle is running on " << folder.toStdString()
        << "; close it first (both would save the same filter lists and history)\n";
    return 2;
  }

  AppCore core(ProgramFolder::IniPath());
  PrepareCore(core, false);
  if (!UnlockAtStartup(core, [](const std::string&, const std::string&) { return std::optional<std::string>(); })) {
    err << "mobrelle: the mailboxes are locked with a password; open the window to check them\n";
    return 2;
  }
  const std::string folder8 = QFile::encodeName(folder).toStdString();
  LoadAccountsAndSettings(core, folder8);
  // One pass over the mailboxes: no timer may start another check meanwhile.
  for (int k = 0; k < core.Mailboxes.Count(); ++k) core.Mailboxes.StopTimer(k);
  core.Filters.Load(core.Ini, folder8);
  core.VersionCheckDone = true;  // no version check from a script

  MessageListModel rows;
  QuietView view([&err](const std::string& text) { err << "mobrelle: " << Cp1252ToUtf8(text) << "\n"; });
  {
    CheckCycle cycle(core, view, rows);
    for (int k = 0; k < core.Mailboxes.Count(); ++k) cycle.Timer1Timer(CheckSender::CheckAll, k);

    // One write per row: the stream's own work per piece cost more than the converting.
    std::string line;
    for (int r = 0; r < rows.Count(); ++r) {
      const MessageRow& row = rows.Row(r);
      line.clear();
      AppendField(line, row.Number);
      for (const std::string& sub : row.SubItems) {
        line += '\t';
        AppendField(line, sub);
      }
      line += '\n';
      out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    int failed = 0;
    for (int k = 0; k < core.Mailboxes.Count(); ++k) {
      const std::string& name = core.Mailboxes.Caption(k);
      const bool unreachable = core.Mailboxes.SubItemText(k, MailboxListModel::kCount) == Txt(1013);
      TSyncPop3Cli* client = core.Mailboxes.Record(k).Client.get();
      int listed = 0;
      for (int r = 0; r < rows.Count(); ++r) listed += rows.Row(r).Client == client;
      out << "== " << Field(name) << ": ";
      if (unreachable) {
        ++failed;
        out << "not reached: " << Field(client->ErrorMessage()) << '\n';
      } else {
        out << listed << " listed, " << cycle.Judge().RejectedIn(name) << " rejected\n";
      }
    }
    const SaveResult saved = core.Filters.Save(core.Ini, core.Settings.NbFicSauv, SystemHistoryClock());
    if (!saved.Ok) {
      err << "mobrelle: " << Cp1252ToUtf8(saved.ErrorText) << "\n";
      return 1;
    }
    return failed ? 1 : 0;
  }
}

}  // namespace mobrelle
