#include "app/core/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

struct ReadCase {
  const char* value;  // as written by hand after "Key="
  int32_t asInteger;  // with default 7
  bool asBool;        // with default false
  const char* asText;
};

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, HandWrittenValue) {
  TempDir dir;
  const ReadCase& c = GetParam();
  WriteFileBytes(dir.File("Mobrelle.ini"), std::string("[Mobrelle]\r\nKey=") + c.value + "\r\n");
  IniFile ini(dir.File("Mobrelle.ini"));
  EXPECT_EQ(ini.ReadInteger("Mobrelle", "Key", 7), c.asInteger);
  EXPECT_EQ(ini.ReadBool("Mobrelle", "Key", false), c.asBool);
  EXPECT_EQ(ini.ReadString("Mobrelle", "Key", "def"), c.asText);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniReadTest,
    ::testing::Values(ReadCase{"300", 300, true, "300"}, ReadCase{"0x12C", 300, true, "0x12C"},
                      ReadCase{"0X12c", 300, true, "0X12c"},
                      ReadCase{"0x80000005", -2147483643, true, "0x80000005"},
                      ReadCase{"-2147483643", -2147483643, true, "-2147483643"},
                      ReadCase{"0x", 7, false, "0x"},  // too short for hexadecimal, not decimal either
                      ReadCase{"0x1G", 7, false, "0x1G"}, ReadCase{"0x123456789", 7, false, "0x123456789"},
                      ReadCase{"2", 2, true, "2"}, ReadCase{"0", 0, false, "0"},
                      ReadCase{"abc", 7, false, "abc"}, ReadCase{"12abc", 7, false, "12abc"},
                      ReadCase{"", 7, false, ""}, ReadCase{"  42  ", 42, true, "42"},
                      ReadCase{"2147483648", 7, false, "2147483648"}, ReadCase{"-2147483648", INT32_MIN, true, "-2147483648"},
                      ReadCase{"\"quoted text\"", 7, false, "quoted text"}, ReadCase{"a=b", 7, false, "a=b"}));

TEST(IniFile, MissingFileAndKeysGiveDefaultsAndCreateNothing) {
  TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  EXPECT_EQ(ini.ReadString("Mobrelle", "Version", "none"), "none");
  EXPECT_EQ(ini.ReadInteger("Mobrelle", "Top", 10), 10);
  EXPECT_TRUE(ini.ReadBool("Mobrelle", "Son", true));
  EXPECT_TRUE(ini.ReadSections().empty());
  EXPECT_FALSE(ini.SectionExists("Mobrelle"));
  ini.EraseSection("Maison");
  EXPECT_FALSE(std::filesystem::exists(dir.File("Mobrelle.ini")));
}

TEST(IniFile, NamesIgnoreCaseAndSectionsKeepFirstWrittenOrder) {
  TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.WriteString("Maison", "Pop3ID", "alice");
  ini.WriteString("Bureau", "Pop3ID", "bob");
  ini.WriteInteger("MAISON", "intervalle", 60);
  ini.WriteString("Mobrelle", "Version", "x");
  ini.WriteInteger("maison", "INTERVALLE", 120);
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Maison", "Bureau", "Mobrelle"}));
  EXPECT_EQ(ini.ReadSection("maison"), (std::vector<std::string>{"Pop3ID", "intervalle"}));
  EXPECT_EQ(ini.ReadInteger("Maison", "Intervalle", 0), 120);
  EXPECT_TRUE(ini.SectionExists("BUREAU"));
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.ini")),
            "[Maison]\r\nPop3ID=alice\r\nintervalle=120\r\n[Bureau]\r\nPop3ID=bob\r\n[Mobrelle]\r\nVersion=x\r\n");
}

TEST(IniFile, ReadsLfFilesGarbageAndDuplicatesTolerantly) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.ini"),
                 "orphan=1\nnot a key line\n[Maison]\n; comment\nPop3ID = alice \n\n[maison]\nPop3ID=second\n"
                 "Extra=1\n[Bureau]\n");
  IniFile ini(dir.File("Mobrelle.ini"));
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Maison", "Bureau"}));
  EXPECT_EQ(ini.ReadString("Maison", "Pop3ID", ""), "alice");  // the first section wins
  EXPECT_EQ(ini.ReadString("Maison", "Extra", "none"), "none");
  EXPECT_EQ(ini.ReadString("", "orphan", "none"), "none");
  EXPECT_TRUE(ini.ReadSection("Bureau").empty());
}

TEST(IniFile, WriteKeepsTheRestOfTheFileAndAppendsNewKeysInsideTheirSection) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.ini"), "; mine\r\n[Maison]\r\nPop3ID=alice\r\n\r\n[Bureau]\r\nPop3ID=bob\r\n");
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.WriteString("Maison", "Pop3Mail", "pop.example.test");
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.ini")),
            "; mine\r\n[Maison]\r\nPop3ID=alice\r\nPop3Mail=pop.example.test\r\n\r\n[Bureau]\r\nPop3ID=bob\r\n");
}

TEST(IniFile, TextsAreCutAt2047AndLineBreaksCannotForgeKeys) {
  TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.WriteString("Mobrelle", "Long", std::string(3000, 'x'));
  EXPECT_EQ(ini.ReadString("Mobrelle", "Long", "").size(), 2047u);
  ini.WriteString("Maison", "Pop3ID", "evil\r\n[Mobrelle]\r\nProtege=");
  EXPECT_EQ(ini.ReadString("Maison", "Pop3ID", ""), "evil  [Mobrelle]  Protege=");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Mobrelle", "Maison"}));
}

TEST(IniFile, EraseSectionRemovesEveryCopy) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.ini"), "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n");
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.EraseSection("a");
  EXPECT_EQ(ReadFileBytes(dir.File("Mobrelle.ini")), "[B]\r\ny=2\r\n");
}

TEST(IniFile, FileIsPrivateAndWriteFailureIsReported) {
  TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.WriteBool("Mobrelle", "Son", true);
  struct stat st {};
  ASSERT_EQ(::stat(dir.File("Mobrelle.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ini.ReadString("Mobrelle", "Son", ""), "1");

  IniFile nowhere(dir.File("missing/folder/Mobrelle.ini"));
  try {
    nowhere.WriteString("Mobrelle", "Version", "x");
    FAIL() << "no error";
  } catch (const IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Impossible d'\xE9" "crire dans " + dir.File("missing/folder/Mobrelle.ini"));
  }
}

TEST(IniFile, BatchWritesOnceAndNothingWhenItFails) {
  TempDir dir;
  const std::string path = dir.File("Mobrelle.ini");
  WriteFileBytes(path, "[A]\r\nx=1\r\n");
  IniFile ini(path);
  ini.Batch([&] {
    ini.EraseSection("A");
    ini.WriteString("B", "y", "2");
    EXPECT_EQ(ini.ReadString("B", "y", ""), "2");  // the batch sees its own changes
    EXPECT_EQ(ReadFileBytes(path), "[A]\r\nx=1\r\n");  // the file does not, yet
  });
  EXPECT_EQ(ReadFileBytes(path), "[B]\r\ny=2\r\n");
  EXPECT_THROW(ini.Batch([&] {
    ini.WriteString("C", "z", "3");
    throw std::runtime_error("stop");
  }),
               std::runtime_error);
  EXPECT_EQ(ReadFileBytes(path), "[B]\r\ny=2\r\n");
  EXPECT_FALSE(ini.SectionExists("C"));
}

TEST(IniFile, MultiLineTextsUsePilcrowPairs) {
  EXPECT_EQ(EncodeMultiLine("a\r\nb\r\n"), "a\xB6\xB6" "b\xB6\xB6");
  EXPECT_EQ(DecodeMultiLine("a\xB6\xB6" "b\xB6"), "a\r\nb\xB6");
  EXPECT_EQ(DecodeMultiLine(EncodeMultiLine("x\ny\r\nz")), "x\ny\r\nz");
}

// Two processes writing different keys of the same file at the same time lose nothing.
TEST(IniFile, ConcurrentWritersFromTwoProcessesKeepEveryKey) {
  TempDir dir;
  const std::string path = dir.File("Mobrelle.ini");
  constexpr int kKeys = 60;
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    IniFile ini(path);
    for (int i = 0; i < kKeys; ++i) ini.WriteInteger("Child", "K" + std::to_string(i), i);
    ::_exit(0);
  }
  IniFile ini(path);
  for (int i = 0; i < kKeys; ++i) ini.WriteInteger("Parent", "K" + std::to_string(i), i);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  for (int i = 0; i < kKeys; ++i) {
    EXPECT_EQ(ini.ReadInteger("Child", "K" + std::to_string(i), -1), i);
    EXPECT_EQ(ini.ReadInteger("Parent", "K" + std::to_string(i), -1), i);
  }
}

// A writer killed at any moment leaves either the old or the new file, never half of one.
TEST(IniFile, KillDuringWritesNeverLeavesABrokenFile) {
  TempDir dir;
  const std::string path = dir.File("Mobrelle.ini");
  {
    IniFile ini(path);
    for (int i = 0; i < 50; ++i) ini.WriteString("Base", "K" + std::to_string(i), std::string(40, 'a' + i % 26));
  }
  for (int round = 0; round < 5; ++round) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      IniFile ini(path);
      for (int i = 0; i < 100000; ++i) ini.WriteInteger("Busy", "Counter", i);
      ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + 17 * round));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    IniFile ini(path);
    for (int i = 0; i < 50; ++i)
      ASSERT_EQ(ini.ReadString("Base", "K" + std::to_string(i), ""), std::string(40, 'a' + i % 26));
  }
}

}  // namespace
}  // namespace mobrelle
