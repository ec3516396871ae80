#pragma once
// The settings the filter window shows and owns: the special rules, the history rules, the
// nonexistent-sender check, the reply, the history columns and the window's place. Read when the
// filter window is created, written at exit among the main window's keys.

#include <array>
#include <cstdint>

#include "filters/lists/history_retention.h"
#include "filters/reply/reply_settings.h"
#include "filters/sender_check/sender_check_settings.h"
#include "filters/verdicts/judge_message.h"

namespace mobrelle {

class IniFile;
struct MainSettings;

inline constexpr int kHistoryColumns = 6;

struct FilterSettings {
  int32_t SujetVide = 3, DestAVide = 3, DestPasArobase = 3;
  bool ExpEtSujetDetruire = false;
  HistoryRetention Retention;
  std::array<int32_t, kHistoryColumns> HistoryColumns{};  // 0 or less: the designed width
  SenderCheckSettings Inex;
  ReplySettings Reply;

  // The filter window's place, read on its first showing and written with the lists once it was shown.
  struct Geometry {
    int32_t Top = 10, Left = 10, Height = 478, Width = 640;
  } Window;
  bool WindowShown = false;

  void Load(const IniFile& ini);
  void LoadWindowGeometry(const IniFile& ini);

  // Their places among the exit keys: after "NbFicSauv", after "Son", after "HauteurBoites".
  void SaveNonexistentSenderKeys(IniFile& ini) const;
  void SaveHistoryKeys(IniFile& ini) const;
  void SaveSpecialRuleKeys(IniFile& ini) const;
  // With the lists, when the window was shown at least once.
  void SaveWindowGeometry(IniFile& ini) const;

  // What judging reads, from these and the main window's settings.
  VerdictSettings Verdicts(const MainSettings& main) const;
};

}  // namespace mobrelle
