#include "filters/verdicts/filter_state.h"

#include <sys/stat.h>

#include "app/core/ini_file.h"

namespace mobrelle {

namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

void FilterState::Load(const IniFile& ini, const std::string& folder, const ListStatus& status) {
  Settings.Load(ini);
  Files.Folder = folder;
  LoadLists(Files, Lists, status);
}

ExitKeyWriters FilterState::KeyWriters() const {
  ExitKeyWriters w;
  w.NonexistentSender = [this](IniFile& ini) { Settings.SaveNonexistentSenderKeys(ini); };
  w.HistoryRules = [this](IniFile& ini) { Settings.SaveHistoryKeys(ini); };
  w.SpecialRules = [this](IniFile& ini) { Settings.SaveSpecialRuleKeys(ini); };
  return w;
}

SaveResult FilterState::Save(IniFile& ini, int backups, const HistoryClock& clock, const ListStatus& status) {
  if (Files.Folder.empty()) return {};  // never loaded: nothing to write, and nowhere known
  SaveResult r = SaveLists(Files, Lists, backups, clock, status);
  Settings.SaveWindowGeometry(ini);
  return r;
}

bool FilterState::WantsDefaultLists() const {
  return !Exists(Files.PathOf(ListIndex::Adr)) && !Exists(Files.PathOf(ListIndex::Suj));
}

}  // namespace mobrelle
