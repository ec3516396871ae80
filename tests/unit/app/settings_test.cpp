// The main settings, the custom wildcards, the event log and the old filter-file conversion.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/custom_jokers.h"
#include "app/core/ini_file.h"
#include "app/core/main_settings.h"
#include "app/core/old_filter_conversion.h"
#include "app/core/status_log.h"
#include "app/core/texts.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TEST(MainSettings, MissingFileGivesEveryDefault) {
  TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  MainSettings s;
  s.LoadStartupKeys(ini);
  s.LoadSettingsKeys(ini);
  EXPECT_EQ(s.Version, "");
  EXPECT_EQ(s.Top, 10);
  EXPECT_EQ(s.Height, 478);
  EXPECT_EQ(s.Width, 640);
  EXPECT_EQ(s.HauteurBoites, 138);
  EXPECT_EQ(s.CouleurListes, -2147483643);
  EXPECT_TRUE(s.RecenseDemar);
  EXPECT_FALSE(s.TestInternet);
  EXPECT_EQ(s.NbEvenements, 100);
  EXPECT_EQ(s.ListeConsonnes, "bcdfghjklmnpqrstvwxz");
  EXPECT_EQ(s.MessageColumns[7], -1);
  EXPECT_FALSE(ReadSeveralInstances(ini));
}

TEST(MainSettings, HandWrittenValues) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.ini"),
                 "[mobrelle]\r\nCouleurListes=0x80000005\r\nSon=2\r\nRecenseDemar=oui\r\nListeConsonnes=BCD\xC9\r\n"
                 "ListeAlphaNum=\r\nPlusieursInstances=1\r\nCol12=80\r\nNbEvenements=0x0A\r\n");
  IniFile ini(dir.File("Mobrelle.ini"));
  MainSettings s;
  s.LoadSettingsKeys(ini);
  EXPECT_EQ(s.CouleurListes, -2147483643);
  EXPECT_TRUE(s.Son);
  EXPECT_TRUE(s.RecenseDemar);  // letters give the default
  EXPECT_EQ(s.ListeConsonnes, "bcd\xE9");
  EXPECT_EQ(s.ListeAlphaNum, kDefaultAlphaNum);  // empty falls back to the default
  EXPECT_EQ(s.MailboxColumns[2], 80);
  EXPECT_EQ(s.NbEvenements, 10);
  EXPECT_TRUE(ReadSeveralInstances(ini));
}

TEST(MainSettings, ExitKeysRoundTripAndStartWithVersion) {
  TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  MainSettings s;
  s.Top = 33;
  s.CouleurListes = kDefaultListColour;
  s.MailboxColumns[0] = 200;
  s.FiltresActifs = false;
  s.SaveExitKeys(ini);
  const std::string file = ReadFileBytes(dir.File("Mobrelle.ini"));
  EXPECT_EQ(file.rfind("[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\nTestInternet=0\r\n", 0), 0u);
  EXPECT_EQ(file.find("CouleurListes"), std::string::npos) << "written only by the settings dialog";
  MainSettings back;
  back.LoadStartupKeys(ini);
  back.LoadSettingsKeys(ini);
  EXPECT_EQ(back.Version, kVersionString);
  EXPECT_EQ(back.Top, 33);
  EXPECT_EQ(back.MailboxColumns[0], 200);
  EXPECT_FALSE(back.FiltresActifs);
}

TEST(MainSettings, SoundFilesThatDoNotExistAreEmptied) {
  TempDir dir;
  WriteFileBytes(dir.File("bip.wav"), "RIFF");
  WriteFileBytes(dir.File("Mobrelle.ini"), "[Mobrelle]\r\nFichierSon=" + dir.File("bip.wav") +
                                               "\r\nSonRejet=" + dir.File("gone.wav") + "\r\n");
  IniFile ini(dir.File("Mobrelle.ini"));
  MainSettings s;
  s.LoadSoundFiles(ini);
  EXPECT_EQ(s.FichierSon, dir.File("bip.wav"));
  EXPECT_EQ(s.SonRejet, "");
  EXPECT_EQ(s.SonAmi, "");
}

TEST(CustomJokers, OneWildcardPerValueOfThreeCharactersOrMore) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.ini"), "[JokerPerso]\r\nJ1=%=aeiou\r\nJ2=$\r\nJ3=!x01\r\n");
  const CustomJokers j = LoadCustomJokers(IniFile(dir.File("Mobrelle.ini")));
  ASSERT_EQ(j.List.size(), 2u);
  EXPECT_EQ(j.List[0].Joker, '%');
  EXPECT_EQ(j.List[0].Chars, "aeiou");
  EXPECT_EQ(j.List[1].Chars, "01");
  EXPECT_EQ(j.Characters, "%!");
}

TEST(StatusLog, KeepsAtMostMaxPlusOneEntriesNewestFirst) {
  StatusLog log;
  log.SetMaxEvents(100);
  for (int i = 0; i < 102; ++i) log.ShowStatus(0, std::to_string(i));
  ASSERT_EQ(log.Events().size(), 101u);
  EXPECT_EQ(log.Events().front(), " 101");
  EXPECT_EQ(log.Events().back(), " 1");
  log.ShowStatus(1, "Maison=>-ERR");
  EXPECT_EQ(log.Panel(1), " Maison=>-ERR");
  EXPECT_EQ(log.Events().size(), 101u);
}

TEST(StatusLog, RepeatedDeactivationMakesOneEntry) {
  StatusLog log;
  int changes = 0;
  log.OnChange = [&](int) { ++changes; };
  log.ShowStatus(0, Txt(1010));
  log.ShowStatus(0, Txt(1010));
  EXPECT_EQ(log.Events().size(), 1u);
  log.ShowStatus(0, "Pr\xEAt");
  log.ShowStatus(0, Txt(1010));
  EXPECT_EQ(log.Events().size(), 3u);
  EXPECT_EQ(log.Events().front(), " D\xE9sactiv\xE9");
  EXPECT_EQ(changes, 4);
}

TEST(OldFilterConversion, KeepsLinesOfTwoOrThreeCommasWithoutQuotes) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.rej"), "\"spam@x.test\",\"R\",\"N \"\r\nno commas\r\na,b,c,d,e,f\r\n\"x,y,z,w\"\r\n");
  WriteFileBytes(dir.File("Mobrelle.rjo"), "old backup");
  EXPECT_TRUE(NeedsOldFilterConversion(""));
  EXPECT_TRUE(NeedsOldFilterConversion("Mobrelle V 2.2.0.03"));
  EXPECT_FALSE(NeedsOldFilterConversion("Mobrelle V 3.8.0.00"));
  ConvertOldFilterFiles(dir.Path());
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.rej")), "spam@x.test,R,N \r\nx,y,z,w\r\n");
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.rjo")).substr(0, 14), "\"spam@x.test\",");
  EXPECT_FALSE(std::filesystem::exists(dir.File("Mobrelle.rj")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("Mobrelle.rjs")));
}

TEST(OldFilterConversion, LongLinesCountAsSeveralAndCurrentFilesAreLeftAlone) {
  TempDir dir;
  // 130 characters: the first 126 hold two commas, the last 4 hold none.
  std::string longLine = "a,b," + std::string(122, 'x') + "tail";
  WriteFileBytes(dir.File("Mobrelle.rjs"), longLine + "\r\n");
  const std::string current = "spam,R,N ,3,R\r\n\xB6" "casino,d,N ,,R\r\n";
  WriteFileBytes(dir.File("Mobrelle.rej"), current);
  ConvertOldFilterFiles(dir.Path());
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.rej")), current);
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.rjs")), longLine.substr(0, 126) + "\r\n");
}

}  // namespace
}  // namespace mobrelle
