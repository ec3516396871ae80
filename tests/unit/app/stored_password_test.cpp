#include "app/core/stored_password.h"

#include <gtest/gtest.h>

#include "app/core/ini_file.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

TEST(StoredPassword, ScrambleFollowsTheFileFormat) {
  // n = 3: positions 1..3 subtract 3, 4, 5 after flipping the top bit.
  const std::string s = ScramblePassword("abc");
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(static_cast<unsigned char>(s[0]), static_cast<unsigned char>(('a' ^ 0x80) - 3));
  EXPECT_EQ(static_cast<unsigned char>(s[1]), static_cast<unsigned char>(('b' ^ 0x80) - 4));
  EXPECT_EQ(static_cast<unsigned char>(s[2]), static_cast<unsigned char>(('c' ^ 0x80) - 5));
  EXPECT_EQ(UnscramblePassword(s), "abc");
  EXPECT_EQ(ScramblePassword(""), "");
  EXPECT_EQ(UnscramblePassword(""), "");
}

TEST(StoredPassword, LeadingFullStopMeansClearTextOf255AtMost) {
  EXPECT_EQ(UnscramblePassword(".secret"), "secret");
  EXPECT_EQ(UnscramblePassword("." + std::string(300, 'z')), std::string(255, 'z'));
  EXPECT_EQ(PasswordFromStoredValue(".secret", ""), "secret");
}

TEST(StoredPassword, MaskIsItsOwnInverseAndStopsAtTheLockLength) {
  EXPECT_EQ(MaskWithLockPassword("abcdef", "\x01\x02"), "``cdef");
  EXPECT_EQ(MaskWithLockPassword(MaskWithLockPassword("abcdef", "lock"), "lock"), "abcdef");
}

TEST(StoredPassword, ValuesOfTheFileFormatReadAsBefore) {
  // What the program always wrote: scrambled (and masked under a lock) with no escape.
  for (const std::string pw : {"secret", "Mot de passe \xE9t\xE9", "x"}) {
    EXPECT_EQ(StoredPasswordValue(pw, ""), ScramblePassword(pw));
    EXPECT_EQ(PasswordFromStoredValue(ScramblePassword(pw), ""), pw);
  }
}

// Every byte value at every position, lengths 1 to 300, with and without a lock password, through a
// real file: what is written reads back the same.
TEST(StoredPassword, EveryValueSurvivesTheFile) {
  test::TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  const std::string locks[] = {"", "lock", std::string("\x01\x80\xFF", 3), std::string(300, 'k')};
  int checked = 0;
  for (const auto& lock : locks) {
    for (size_t len = 1; len <= 300; ++len) {
      std::vector<std::string> values;
      for (int b = 0; b < 256; b += (len > 16 ? 37 : 1)) {
        std::string pw(len, static_cast<char>(b));
        for (size_t i = 0; i < len; ++i) pw[i] = static_cast<char>((b + i * 7) & 0xFF);
        values.push_back(pw);
      }
      // The password whose scrambled first byte is '.', and one whose masked byte is a line end.
      std::string dot(len, 'a');
      dot[0] = static_cast<char>(('.' + len) ^ 0x80);
      values.push_back(dot);
      for (const auto& pw : values) {
        const std::string stored = StoredPasswordValue(pw, lock);
        ASSERT_EQ(PasswordFromStoredValue(stored, lock), pw) << "len " << len;
        if (len % 23 == 0) {  // and through the file itself, for a sample
          ini.WriteString("Boite", "Pop3Mdp", stored);
          ASSERT_EQ(PasswordFromStoredValue(ini.ReadString("Boite", "Pop3Mdp", ""), lock), pw) << "len " << len;
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 4000);
}

TEST(StoredPassword, UnsafeValuesAreEscapedOnlyWhenNeeded) {
  std::string dot(10, 'a');
  dot[0] = static_cast<char>(('.' + 10) ^ 0x80);
  ASSERT_EQ(ScramblePassword(dot)[0], '.');
  const std::string stored = StoredPasswordValue(dot, "");
  EXPECT_NE(stored, ScramblePassword(dot));
  EXPECT_EQ(PasswordFromStoredValue(stored, ""), dot);
  // A lock byte equal to the scrambled byte gives a NUL in the masked form.
  const std::string pw = "secret";
  const std::string lock(1, ScramblePassword(pw)[0]);
  EXPECT_EQ(PasswordFromStoredValue(StoredPasswordValue(pw, lock), lock), pw);
}

}  // namespace
}  // namespace mobrelle
