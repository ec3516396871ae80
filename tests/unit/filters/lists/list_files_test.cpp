#include "filters/lists/list_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

class FixedClock : public HistoryClock {
 public:
  LocalDateTime Now() const override { return {2026, 12, 10, 12, 0, 0}; }
};

struct LoadCase {
  const char* line;
  const char* text;
  const char* avant;
  const char* pendant;
  const char* effectues;
  bool accepted;
  bool corrected;
};

TEST(FilterLineLoading, CorrectsInvalidCodesOfRejectingEntriesOnly) {
  const LoadCase cases[] = {
      {"casino", "casino", "g", "N ", "", false, true},
      {"\xB6" "casino,d,oa,12,R", "\xB6" "casino", "d", "oa", "12", false, false},
      {"\xB6" "facture, , ,,A", "\xB6" "facture", " ", " ", "", true, false},
      {"x,zz,qq,abc,A", "x", "zz", "qq", "abc", true, false},  // accepting: kept as is
      {"x,D,N ,,A", "x", "d", "N ", "", true, false},          // old codes of accepting entries
      {"x,m,N ,,A", "x", "g", "N ", "", true, false},
      {"x,D,N ,,R", "x", "g", "N ", "", false, true},
      {"x,m,N ,,R", "x", "g", "N ", "", false, true},
      {"x,r,N ,,R", "x", "g", "N ", "", false, true},
      {"x,R,N,,R", "x", "R", "N ", "", false, true},
      {"x,R,Nx,,R", "x", "R", "N ", "", false, true},
      {"x,R,s,,R", "x", "R", "s", "", false, false},
      {"x,R,N , 12,R", "x", "R", "N ", "", false, true},
      {"x,R,N ,-3,R", "x", "R", "N ", "-3", false, false},
      {"x,R,N ,99999999999,R", "x", "R", "N ", "", false, true},
      {"x,R,N ,,Q", "x", "R", "N ", "", false, true},
      {"x,R,N ,,R,extra,more", "x", "R", "N ", "", false, false},
      {"x,g,N ,,R\n", "x", "g", "N ", "", false, false},
  };
  for (const auto& c : cases) {
    FilterList list;
    ParseFilterFile(c.line, false, list);
    ASSERT_EQ(list.Entries.size(), 1u) << c.line;
    const auto& e = list.Entries[0];
    EXPECT_EQ(e.Text, c.text) << c.line;
    EXPECT_EQ(e.Avant, c.avant) << c.line;
    EXPECT_EQ(e.Pendant, c.pendant) << c.line;
    EXPECT_EQ(e.Effectues, c.effectues) << c.line;
    EXPECT_EQ(e.Accepted, c.accepted) << c.line;
    EXPECT_EQ(list.Modified, c.corrected) << c.line;
  }
}

TEST(FilterLineLoading, RecipientSelectorAndLongLines) {
  FilterList list;
  ParseFilterFile("a,X,R,N ,,R\r\nb,C,d,N ,,R\r\n", true, list);
  ASSERT_EQ(list.Entries.size(), 2u);
  EXPECT_EQ(list.Entries[0].Field, "A");
  EXPECT_EQ(list.Entries[1].Field, "C");
  EXPECT_TRUE(list.Modified);

  // A line longer than the reader's buffer comes back as several entries.
  FilterList longList;
  ParseFilterFile(std::string(1500, 'z') + ",g,N ,,R\r\n", false, longList);
  ASSERT_EQ(longList.Entries.size(), 2u);
  EXPECT_EQ(longList.Entries[0].Text.size(), 1021u);
}

TEST(ListFilesLoading, BlankAndLetterLinesAreSkippedAndAnEmptyListStaysEmpty) {
  TempDir dir;
  ListFiles files{dir.Path()};
  WriteFileBytes(files.PathOf(ListIndex::Adr), "\r\ncasino\r\n\nok,g,N ,,R\n");
  WriteFileBytes(files.PathOf(ListIndex::Hist),
                 "10/12/2026 10:00:00,a,b,c,d,Boite\r\nhand note,x\r\n\r\n09/12/2026 10:00:00,e\r\n");
  FilterLists lists;
  std::vector<std::string> log;
  LoadLists(files, lists, [&](const std::string& t) { log.push_back(t); });
  ASSERT_EQ(lists.ListeAdr.Entries.size(), 2u);
  EXPECT_TRUE(lists.ListeAdr.Modified);
  ASSERT_EQ(lists.ListeHist.Entries.size(), 2u);
  EXPECT_EQ(lists.ListeHist.Entries[0].Mailbox, "Boite");
  EXPECT_EQ(lists.ListeHist.Entries[1].Sender, "e");
  EXPECT_FALSE(lists.ListeHist.Modified);
  EXPECT_TRUE(lists.ListeSuj.Entries.empty());
  EXPECT_EQ(log, (std::vector<std::string>{kLoadingListsText, ""}));

  // The corrected line is written back whole.
  ASSERT_TRUE(SaveLists(files, lists, 5, FixedClock()).Ok);
  EXPECT_EQ(ReadFileBytes(files.PathOf(ListIndex::Adr)), "casino,g,N ,,R\r\nok,g,N ,,R\r\n");
  EXPECT_FALSE(lists.ListeAdr.Modified);
  struct stat st {};
  ASSERT_EQ(::stat(files.PathOf(ListIndex::Adr).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ListFilesSaving, EmptyModifiedListRemovesItsFileAndHistoryIsSortedNewestFirst) {
  TempDir dir;
  ListFiles files{dir.Path()};
  WriteFileBytes(files.PathOf(ListIndex::Suj), "x,g,N ,,R\r\n");
  FilterLists lists;
  lists.ListeSuj.Modified = true;
  lists.ListeHist.Entries = {{"01/12/2026 10:00:00", "old", "", "", "", "B"},
                             {"09/12/2026 10:00:00", "new", "a,b", "", "", "B"}};
  lists.ListeHist.Modified = true;
  ASSERT_TRUE(SaveLists(files, lists, 5, FixedClock()).Ok);
  EXPECT_FALSE(std::filesystem::exists(files.PathOf(ListIndex::Suj)));
  // A comma in a field would shift the columns when read back.
  EXPECT_EQ(ReadFileBytes(files.PathOf(ListIndex::Hist)),
            "09/12/2026 10:00:00,new,a b,,,B\r\n01/12/2026 10:00:00,old,,,,B\r\n");
}

TEST(ListFilesSaving, SixSavesKeepTheFileAndFiveNumberedBackups) {
  TempDir dir;
  ListFiles files{dir.Path()};
  const std::string path = files.PathOf(ListIndex::Adr);
  WriteFileBytes(path, "v0,g,N ,,R\r\n");
  FilterLists lists;
  for (int i = 1; i <= 6; ++i) {
    lists.ListeAdr.Entries = {{"v" + std::to_string(i), "", "g", "N ", "", false}};
    lists.ListeAdr.Modified = true;
    ASSERT_TRUE(SaveLists(files, lists, 5, FixedClock()).Ok);
  }
  const std::string b = dir.Path() + "/sauv/Mobrelle.rej";
  EXPECT_EQ(ReadFileBytes(b), "v5,g,N ,,R\r\n");
  for (int k = 1; k <= 5; ++k)
    EXPECT_EQ(ReadFileBytes(b + std::to_string(k)), "v" + std::to_string(5 - k) + ",g,N ,,R\r\n") << k;
  EXPECT_FALSE(std::filesystem::exists(b + "6"));
  EXPECT_EQ(ReadFileBytes(path), "v6,g,N ,,R\r\n");
}

TEST(ListFilesSaving, WithOneBackupTheFirstNumberedCopyIsNeverReplaced) {
  TempDir dir;
  const std::string file = dir.File("Mobrelle.rej");
  std::filesystem::create_directory(dir.File("sauv"));
  for (int i = 0; i < 3; ++i) {
    WriteFileBytes(file, "v" + std::to_string(i));
    RotateBackups(dir.Path(), file, 1);
  }
  EXPECT_EQ(ReadFileBytes(dir.File("sauv/Mobrelle.rej")), "v2");
  EXPECT_EQ(ReadFileBytes(dir.File("sauv/Mobrelle.rej1")), "v0");
}

TEST(ListFilesSaving, AFileThatCannotBeWrittenKeepsItsModifiedFlagAndIsReported) {
  TempDir dir;
  WriteFileBytes(dir.File("notafolder"), "x");
  ListFiles files{dir.File("notafolder")};
  FilterLists lists;
  lists.ListeAdr.Entries = {{"casino", "", "g", "N ", "", false}};
  lists.ListeAdr.Modified = true;
  std::vector<std::string> log;
  const auto result = SaveLists(files, lists, 5, FixedClock(), [&](const std::string& t) { log.push_back(t); });
  EXPECT_FALSE(result.Ok);
  EXPECT_TRUE(lists.ListeAdr.Modified);
  ASSERT_EQ(result.FailedFiles.size(), 1u);
  EXPECT_NE(result.ErrorText.find("Mobrelle.rej"), std::string::npos);
  EXPECT_EQ(log.back(), result.ErrorText);
}

TEST(DefaultLists, ShippedFilesLoadCleanAndNeverRejectAtOnce) {
  TempDir dir;
  ListFiles files{dir.Path()};
  EXPECT_EQ(CopyDefaultLists(MOBRELLE_SOURCE_DIR "/resources", files), 2);
  WriteFileBytes(files.PathOf(ListIndex::Adr), "mine,g,N ,,R\r\n");
  EXPECT_EQ(CopyDefaultLists(MOBRELLE_SOURCE_DIR "/resources", files), 0);  // never over a file
  EXPECT_EQ(ReadFileBytes(files.PathOf(ListIndex::Adr)), "mine,g,N ,,R\r\n");

  for (const char* name : {"/resources/Defaut.rej", "/resources/Defaut.rjs"}) {
    const std::string content = ReadFileBytes(std::string(MOBRELLE_SOURCE_DIR) + name);
    FilterList list;
    ParseFilterFile(content, false, list);
    EXPECT_FALSE(list.Modified) << name;
    EXPECT_GE(list.Entries.size(), 5u) << name;
    for (const auto& e : list.Entries) {
      EXPECT_TRUE(e.Accepted || e.Avant == "g") << name << ": " << e.Text;
      EXPECT_EQ(e.Text.find_first_of(",\""), std::string::npos);
    }
    EXPECT_EQ(content.find("\n"), content.find("\r\n") + 1) << name;
  }
}

}  // namespace
}  // namespace mobrelle
