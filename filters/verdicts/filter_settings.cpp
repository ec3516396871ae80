#include "filters/verdicts/filter_settings.h"

#include <string>

#include "app/core/ini_file.h"
#include "app/core/main_settings.h"

namespace mobrelle {

namespace {

constexpr const char* S = kSettingsSection;

std::string HistoryColumnKey(int i) { return "ColHist" + std::to_string(i); }

}  // namespace

void FilterSettings::Load(const IniFile& ini) {
  const FilterSettings d;
  Inex.Load(ini);
  Retention.Count = ini.ReadInteger(S, "NbHisto", d.Retention.Count);
  Retention.ByCount = ini.ReadBool(S, "HistoNbLigSav", d.Retention.ByCount);
  Retention.Days = ini.ReadInteger(S, "NbHistoDate", d.Retention.Days);
  Retention.ByDays = ini.ReadBool(S, "HistoDateSav", d.Retention.ByDays);
  SujetVide = ini.ReadInteger(S, "SujetVide", d.SujetVide);
  DestAVide = ini.ReadInteger(S, "DestAVide", d.DestAVide);
  DestPasArobase = ini.ReadInteger(S, "DestPasArobase", d.DestPasArobase);
  ExpEtSujetDetruire = ini.ReadBool(S, "ExpEtSujetDetruire", d.ExpEtSujetDetruire);
  for (int i = 0; i < kHistoryColumns; ++i) HistoryColumns[i] = ini.ReadInteger(S, HistoryColumnKey(i), 0);
  Reply.Load(ini);
}

void FilterSettings::LoadWindowGeometry(const IniFile& ini) {
  const Geometry d;
  Window.Top = ini.ReadInteger(S, "RejTop", d.Top);
  Window.Left = ini.ReadInteger(S, "RejLeft", d.Left);
  Window.Height = ini.ReadInteger(S, "RejHeight", d.Height);
  Window.Width = ini.ReadInteger(S, "RejWidth", d.Width);
}

void FilterSettings::SaveNonexistentSenderKeys(IniFile& ini) const { Inex.Save(ini); }

void FilterSettings::SaveHistoryKeys(IniFile& ini) const {
  ini.WriteInteger(S, "NbHisto", Retention.Count);
  ini.WriteBool(S, "HistoNbLigSav", Retention.ByCount);
  ini.WriteInteger(S, "NbHistoDate", Retention.Days);
  ini.WriteBool(S, "HistoDateSav", Retention.ByDays);
}

void FilterSettings::SaveSpecialRuleKeys(IniFile& ini) const {
  ini.WriteInteger(S, "SujetVide", SujetVide);
  ini.WriteInteger(S, "DestAVide", DestAVide);
  ini.WriteInteger(S, "DestPasArobase", DestPasArobase);
  ini.WriteBool(S, "ExpEtSujetDetruire", ExpEtSujetDetruire);
  for (int i = 0; i < kHistoryColumns; ++i) ini.WriteInteger(S, HistoryColumnKey(i), HistoryColumns[i]);
}

void FilterSettings::SaveWindowGeometry(IniFile& ini) const {
  if (!WindowShown) return;
  ini.WriteInteger(S, "RejTop", Window.Top);
  ini.WriteInteger(S, "RejLeft", Window.Left);
  ini.WriteInteger(S, "RejHeight", Window.Height);
  ini.WriteInteger(S, "RejWidth", Window.Width);
}

VerdictSettings FilterSettings::Verdicts(const MainSettings& main) const {
  VerdictSettings v;
  v.SujetVide = SujetVide;
  v.DestAVide = DestAVide;
  v.DestPasArobase = DestPasArobase;
  v.ExpEtSujetDetruire = ExpEtSujetDetruire;
  v.RejetInex = Inex.RejetInex;
  v.ConditionsRejetInex = Inex.ConditionsRejetInex;
  v.AvantRejetInex = Inex.AvantRejetInex;
  v.FiltresActifs = main.FiltresActifs;
  v.DelaiRejeterGarder = main.DelaiRejeterGarder;
  v.IconeListeBlanche = main.IconeListeBlanche;
  v.AlerteVisuelleRejet = main.AlerteVisuelleRejet;
  v.Retention = Retention;
  return v;
}

}  // namespace mobrelle
