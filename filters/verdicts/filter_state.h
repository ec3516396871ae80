#pragma once
// What filtering keeps for the run: the lists and the settings of the filter window, loaded when
// that window is created and saved at exit.

#include <string>

#include "app/core/main_settings.h"
#include "filters/lists/list_files.h"
#include "filters/verdicts/filter_settings.h"

namespace mobrelle {

class IniFile;

struct FilterState {
  FilterLists Lists;
  FilterSettings Settings;
  ListFiles Files;

  // The settings, then the lists of `folder`.
  void Load(const IniFile& ini, const std::string& folder, const ListStatus& status = {});
  // The settings' places among the exit keys.
  ExitKeyWriters KeyWriters() const;
  // The modified lists with `backups` copies each, then the window's place when it was shown.
  SaveResult Save(IniFile& ini, int backups, const HistoryClock& clock, const ListStatus& status = {});

  // A first run asks about the default lists only when neither sender nor subject list exists.
  bool WantsDefaultLists() const;
};

}  // namespace mobrelle
