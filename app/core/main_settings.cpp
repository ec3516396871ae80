#include "app/core/main_settings.h"

#include <sys/stat.h>

#include "app/core/cp1252.h"
#include "app/core/ini_file.h"

namespace mobrelle {
namespace {

constexpr const char* S = kSettingsSection;

std::string ColKey(int index) { return "Col" + std::to_string(index); }

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The character sets start from their default; a non-empty value, lower-cased, replaces it.
std::string ReadCharacterSet(const IniFile& ini, const char* key, const char* def) {
  std::string v = LowerCase(ini.ReadString(S, key, def));
  return v.empty() ? def : v;
}

}  // namespace

bool ReadSeveralInstances(const IniFile& ini) { return ini.ReadBool(S, "PlusieursInstances", false); }

void MainSettings::LoadStartupKeys(const IniFile& ini) {
  VersionAide = ini.ReadString(S, "VersionAide", "");
  Version = ini.ReadString(S, "Version", "");
  Messager = ini.ReadString(S, "Messager", "");
  PleinEcran = ini.ReadBool(S, "PleinEcran", false);
}

void MainSettings::LoadSettingsKeys(const IniFile& ini) {
  Top = ini.ReadInteger(S, "Top", 10);
  Left = ini.ReadInteger(S, "Left", 10);
  Height = ini.ReadInteger(S, "Height", 478);
  Width = ini.ReadInteger(S, "Width", 640);
  for (int i = 0; i < kMessageColumns; ++i) MessageColumns[i] = ini.ReadInteger(S, ColKey(i), -1);
  for (int i = 0; i < kMailboxColumns; ++i) MailboxColumns[i] = ini.ReadInteger(S, ColKey(10 + i), -1);
  CouleurListes = ini.ReadInteger(S, "CouleurListes", kDefaultListColour);
  HauteurBoites = ini.ReadInteger(S, "HauteurBoites", 138);
  TestInternet = ini.ReadBool(S, "TestInternet", false);
  RecenseDemar = ini.ReadBool(S, "RecenseDemar", true);
  Son = ini.ReadBool(S, "Son", true);
  IconeListeBlanche = ini.ReadBool(S, "IconeListeBlanche", false);
  AlerteVisuelleRejet = ini.ReadBool(S, "AlerteVisuelleRejet", true);
  HistoriseSuppression = ini.ReadBool(S, "HistoriseSuppression", true);
  NbFicSauv = ini.ReadInteger(S, "NbFicSauv", 5);
  ListeConsonnes = ReadCharacterSet(ini, "ListeConsonnes", kDefaultConsonants);
  ListeAlphaNum = ReadCharacterSet(ini, "ListeAlphaNum", kDefaultAlphaNum);
  DelaiRejeterGarder = ini.ReadInteger(S, "DelaiRejeterGarder", 30);
  DelaiAvantRejeterActif = ini.ReadInteger(S, "DelaiAvantRejeterActif", 3);
  NbEvenements = ini.ReadInteger(S, "NbEvenements", 100);
  FiltresActifs = ini.ReadBool(S, "FiltresActifs", true);
}

void MainSettings::LoadSoundFiles(const IniFile& ini) {
  for (auto [key, field] : {std::pair{"FichierSon", &FichierSon}, std::pair{"SonRejet", &SonRejet},
                            std::pair{"SonAmi", &SonAmi}}) {
    *field = ini.ReadString(S, key, "");
    if (!FileExists(*field)) field->clear();
  }
}

void MainSettings::SaveExitKeys(IniFile& ini, const ExitKeyWriters& others) const {
  ini.Batch([&] { SaveExitKeysNow(ini, others); });
}

void MainSettings::SaveExitKeysNow(IniFile& ini, const ExitKeyWriters& others) const {
  ini.WriteString(S, "Version", kVersionString);
  ini.WriteBool(S, "TestInternet", TestInternet);
  ini.WriteBool(S, "RecenseDemar", RecenseDemar);
  ini.WriteBool(S, "IconeListeBlanche", IconeListeBlanche);
  ini.WriteBool(S, "AlerteVisuelleRejet", AlerteVisuelleRejet);
  ini.WriteBool(S, "HistoriseSuppression", HistoriseSuppression);
  ini.WriteInteger(S, "NbFicSauv", NbFicSauv);
  if (others.NonexistentSender) others.NonexistentSender(ini);
  ini.WriteBool(S, "Son", Son);
  if (others.HistoryRules) others.HistoryRules(ini);
  ini.WriteBool(S, "PleinEcran", PleinEcran);
  ini.WriteInteger(S, "Top", Top);
  ini.WriteInteger(S, "Left", Left);
  ini.WriteInteger(S, "Width", Width);
  ini.WriteInteger(S, "Height", Height);
  ini.WriteString(S, "ListeConsonnes", ListeConsonnes);
  ini.WriteString(S, "ListeAlphaNum", ListeAlphaNum);
  for (int i = 0; i < kMessageColumns; ++i) ini.WriteInteger(S, ColKey(i), MessageColumns[i]);
  for (int i = 0; i < kMailboxColumns; ++i) ini.WriteInteger(S, ColKey(10 + i), MailboxColumns[i]);
  ini.WriteInteger(S, "HauteurBoites", HauteurBoites);
  if (others.SpecialRules) others.SpecialRules(ini);
  ini.WriteBool(S, "FiltresActifs", FiltresActifs);
}

}  // namespace mobrelle
