#pragma once
// The main window's settings of the [Mobrelle] section: their defaults, how they are read at start
// and written at exit. Settings that other windows own are read and written by those windows.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace mobrelle {

class IniFile;

inline constexpr char kSettingsSection[] = "Mobrelle";
inline constexpr char kJokersSection[] = "JokerPerso";
inline constexpr char kVersionString[] = "Mobrelle V 3.8.0.00";

// The system window background colour; system colours have the top bit set.
inline constexpr int32_t kDefaultListColour = static_cast<int32_t>(0x80000005u);

inline constexpr char kDefaultConsonants[] = "bcdfghjklmnpqrstvwxz";
// Windows-1252: the accented letters are single bytes.
inline constexpr char kDefaultAlphaNum[] =
    "abcdefghijklmnopqrstuvwxyz0123456789\xE0\xE2\xEA\xEB\xE9\xE8\xEE\xEF\xF4\xF6\xF9\xFB\xFC";

inline constexpr int kMessageColumns = 10;  // Col0..Col9
inline constexpr int kMailboxColumns = 8;   // Col10..Col17

// Keys that other windows own, written at their places among the exit keys; each may be empty.
struct ExitKeyWriters {
  std::function<void(IniFile&)> NonexistentSender;  // after "NbFicSauv"
  std::function<void(IniFile&)> HistoryRules;       // after "Son"
  std::function<void(IniFile&)> SpecialRules;       // after "HauteurBoites"
};

struct MainSettings {
  // Read at start-up (main window creation and deferred start-up).
  std::string Version;
  std::string VersionAide;
  std::string Messager;
  bool PleinEcran = false;
  std::string FichierSon, SonRejet, SonAmi;

  // Read by LoadSettings.
  int32_t Top = 10, Left = 10, Height = 478, Width = 640;
  std::array<int32_t, kMessageColumns> MessageColumns{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  std::array<int32_t, kMailboxColumns> MailboxColumns{-1, -1, -1, -1, -1, -1, -1, -1};
  int32_t HauteurBoites = 138;
  int32_t CouleurListes = kDefaultListColour;
  bool TestInternet = false;
  bool RecenseDemar = true;
  bool Son = true;
  bool IconeListeBlanche = false;
  bool AlerteVisuelleRejet = true;
  bool HistoriseSuppression = true;
  int32_t NbFicSauv = 5;
  std::string ListeConsonnes = kDefaultConsonants;
  std::string ListeAlphaNum = kDefaultAlphaNum;
  int32_t DelaiRejeterGarder = 30;
  int32_t DelaiAvantRejeterActif = 3;
  int32_t NbEvenements = 100;
  bool FiltresActifs = true;

  // The keys read while the main window is created, before the mailboxes are loaded.
  void LoadStartupKeys(const IniFile& ini);
  // The keys LoadSettings reads, in its order.
  void LoadSettingsKeys(const IniFile& ini);
  // The sound files are read by the deferred start-up; a name whose file is missing is emptied.
  void LoadSoundFiles(const IniFile& ini);
  // The keys written at exit, in their order, in one write of the file. Writes "Version" first.
  void SaveExitKeys(IniFile& ini, const ExitKeyWriters& others = {}) const;

 private:
  void SaveExitKeysNow(IniFile& ini, const ExitKeyWriters& others) const;
};

// Read once by the program entry, through a short-lived file object of its own.
bool ReadSeveralInstances(const IniFile& ini);

}  // namespace mobrelle
