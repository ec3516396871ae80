#include "filters/sender_check/sender_check_settings.h"

#include <gtest/gtest.h>

#include "app/core/ini_file.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

TEST(SenderCheckSettings, DefaultsThenRoundTripInOrder) {
  test::TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  SenderCheckSettings s;
  s.RejetInex = true;
  s.IPDns = "x";
  s.Load(ini);
  EXPECT_FALSE(s.RejetInex);
  EXPECT_EQ(s.ConditionsRejetInex, 0);
  EXPECT_EQ(s.AvantRejetInex, 0);
  EXPECT_EQ(s.IPDns, "");

  s = {true, 2, 1, "192.168.1.1"};
  s.Save(ini);
  EXPECT_EQ(test::ReadFileBytes(ini.Path()),
            "[Mobrelle]\r\nRejetInex=1\r\nConditionsRejetInex=2\r\nAvantRejetInex=1\r\nIPDns=192.168.1.1\r\n");
  SenderCheckSettings back;
  back.Load(ini);
  EXPECT_TRUE(back.RejetInex);
  EXPECT_EQ(back.ConditionsRejetInex, 2);
  EXPECT_EQ(back.AvantRejetInex, 1);
  EXPECT_EQ(back.IPDns, "192.168.1.1");
}

TEST(SenderCheckSettings, ActionLetters) {
  const std::pair<int, char> cases[] = {{0, 'r'}, {1, 'd'}, {2, 'g'}, {3, 'g'}, {-1, 'g'}};
  for (auto [index, letter] : cases) {
    SenderCheckSettings s;
    s.AvantRejetInex = index;
    EXPECT_EQ(s.ActionLetter(), letter) << index;
  }
}

}  // namespace
}  // namespace mobrelle
