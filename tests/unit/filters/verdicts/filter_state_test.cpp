#include "filters/verdicts/filter_state.h"

#include <gtest/gtest.h>

#include <regex>

#include "app/core/ini_file.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/filters/verdicts/recording_ports.h"

namespace mobrelle {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

// The keys of the [Mobrelle] section in the order the file holds them.
std::vector<std::string> KeysOf(const std::string& file) {
  std::vector<std::string> keys;
  const std::regex key("^([A-Za-z0-9]+)=", std::regex::multiline);
  for (auto it = std::sregex_iterator(file.begin(), file.end(), key); it != std::sregex_iterator(); ++it)
    keys.push_back((*it)[1]);
  return keys;
}

TEST(FilterState, ExitKeysInterleaveWithTheMainWindowsInTheirOrder) {
  TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  FilterState f;
  MainSettings().SaveExitKeys(ini, f.KeyWriters());
  std::vector<std::string> want = {"Version", "TestInternet", "RecenseDemar", "IconeListeBlanche",
                                   "AlerteVisuelleRejet", "HistoriseSuppression", "NbFicSauv", "RejetInex",
                                   "ConditionsRejetInex", "AvantRejetInex", "IPDns", "Son", "NbHisto",
                                   "HistoNbLigSav", "NbHistoDate", "HistoDateSav", "PleinEcran", "Top", "Left",
                                   "Width", "Height", "ListeConsonnes", "ListeAlphaNum"};
  for (int i = 0; i < kMessageColumns; ++i) want.push_back("Col" + std::to_string(i));
  for (int i = 0; i < kMailboxColumns; ++i) want.push_back("Col" + std::to_string(10 + i));
  for (const char* k : {"HauteurBoites", "SujetVide", "DestAVide", "DestPasArobase", "ExpEtSujetDetruire"})
    want.push_back(k);
  for (int i = 0; i < kHistoryColumns; ++i) want.push_back("ColHist" + std::to_string(i));
  want.push_back("FiltresActifs");
  EXPECT_EQ(KeysOf(ReadFileBytes(dir.File("Mobrelle.ini"))), want);
}

TEST(FilterState, SettingsRoundTripAndReachTheVerdicts) {
  TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  FilterState f;
  f.Settings.SujetVide = 0;
  f.Settings.DestAVide = 1;
  f.Settings.DestPasArobase = 2;
  f.Settings.ExpEtSujetDetruire = true;
  f.Settings.Retention = {false, 40, true, 20};
  f.Settings.HistoryColumns[3] = 120;
  f.Settings.Inex.RejetInex = true;
  f.Settings.Inex.ConditionsRejetInex = 2;
  f.Settings.Inex.AvantRejetInex = 1;
  MainSettings main;
  main.DelaiRejeterGarder = 12;
  main.FiltresActifs = false;
  main.SaveExitKeys(ini, f.KeyWriters());

  FilterState back;
  back.Load(ini, dir.Path());
  const FilterSettings& s = back.Settings;
  EXPECT_EQ(s.SujetVide, 0);
  EXPECT_EQ(s.DestAVide, 1);
  EXPECT_EQ(s.DestPasArobase, 2);
  EXPECT_TRUE(s.ExpEtSujetDetruire);
  EXPECT_FALSE(s.Retention.ByCount);
  EXPECT_EQ(s.Retention.Count, 40);
  EXPECT_EQ(s.Retention.Days, 20);
  EXPECT_EQ(s.HistoryColumns[3], 120);
  const VerdictSettings v = s.Verdicts(main);
  EXPECT_TRUE(v.RejetInex);
  EXPECT_EQ(v.ConditionsRejetInex, 2);
  EXPECT_EQ(v.AvantRejetInex, 1);
  EXPECT_EQ(v.DelaiRejeterGarder, 12);
  EXPECT_FALSE(v.FiltresActifs);

  // A file without the keys gives the defaults.
  FilterState fresh;
  fresh.Load(IniFile(dir.File("none.ini")), dir.Path());
  EXPECT_EQ(fresh.Settings.SujetVide, 3);
  EXPECT_TRUE(fresh.Settings.Retention.ByCount && fresh.Settings.Retention.ByDays);
  EXPECT_EQ(fresh.Settings.Retention.Count, 500);
  EXPECT_EQ(fresh.Settings.Retention.Days, 15);
}

TEST(FilterState, ListsLoadAndSaveWithTheWindowPlaceOnceShown) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.rej"), "\xB6promo,g,N ,3,R\r\n");
  IniFile ini(dir.File("Mobrelle.ini"));
  FilterState f;
  EXPECT_EQ(f.Save(ini, 5, test::FixedClock()).Ok, true);  // never loaded: writes nothing
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.ini")), "");

  f.Load(ini, dir.Path());
  ASSERT_EQ(f.Lists.ListeAdr.Entries.size(), 1u);
  EXPECT_FALSE(f.WantsDefaultLists());
  f.Lists.ListeAdr.Entries[0].Effectues = "4";
  f.Lists.ListeAdr.Modified = true;
  ASSERT_TRUE(f.Save(ini, 5, test::FixedClock()).Ok);
  EXPECT_NE(ReadFileBytes(dir.File("Mobrelle.rej")).find(",4,"), std::string::npos);
  EXPECT_EQ(ini.ReadInteger("Mobrelle", "RejTop", -1), -1);

  f.Settings.WindowShown = true;
  f.Settings.Window = {20, 30, 500, 700};
  ASSERT_TRUE(f.Save(ini, 5, test::FixedClock()).Ok);
  FilterSettings back;
  back.LoadWindowGeometry(ini);
  EXPECT_EQ(back.Window.Top, 20);
  EXPECT_EQ(back.Window.Width, 700);
}

TEST(FilterState, DefaultListsAreWantedOnlyWithoutSenderAndSubjectLists) {
  TempDir dir;
  FilterState f;
  f.Files.Folder = dir.Path();
  EXPECT_TRUE(f.WantsDefaultLists());
  WriteFileBytes(dir.File("Mobrelle.rjd"), "x,A,g,N ,,R\r\n");
  EXPECT_TRUE(f.WantsDefaultLists());
  WriteFileBytes(dir.File("Mobrelle.rjs"), "x,g,N ,,R\r\n");
  EXPECT_FALSE(f.WantsDefaultLists());
}

}  // namespace
}  // namespace mobrelle
