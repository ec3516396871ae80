#include "app/startup.h"

#include <gtest/gtest.h>

#include "app/app_core.h"
#include "app/core/stored_password.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

using test::TempDir;
using test::WriteFileBytes;

TEST(Startup, FirstArgumentContainingIconStartsInTheTray) {
  EXPECT_TRUE(StartsInTray(std::string("icon")));
  EXPECT_TRUE(StartsInTray(std::string("/ICON")));
  EXPECT_TRUE(StartsInTray(std::string("-Icone")));
  EXPECT_FALSE(StartsInTray(std::string("tray")));
  EXPECT_FALSE(StartsInTray(std::nullopt));
}

TEST(Startup, MailboxesAreTheSectionsOtherThanSettingsAndWildcards) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.ini"), "[Maison]\r\nPop3ID=a\r\n[MOBRELLE]\r\nSon=1\r\n[jokerperso]\r\nJ=%=ab\r\n"
                                           "[Bureau]\r\nPop3ID=b\r\n");
  AppCore core(dir.File("Mobrelle.ini"));
  PrepareCore(core, false);
  LoadAccountsAndSettings(core, dir.Path());
  EXPECT_EQ(core.Mailboxes.MailboxNames(), (std::vector<std::string>{"Maison", "Bureau"}));
  EXPECT_EQ(core.Mailboxes.Count(), 2);
  EXPECT_EQ(core.Jokers.Characters, "%");
  EXPECT_EQ(core.MonthNames.size(), 12u);
  EXPECT_EQ(core.MonthNames[11], "Dec");
  EXPECT_EQ(core.Log.Panel(1), " Mobrelle V 3.8.0.00");
  EXPECT_FALSE(core.VersionCheckDone);
}

TEST(Startup, OnlySettingsGiveAnEmptyListAndCtrlSkipsTheVersionCheck) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.ini"), "[Mobrelle]\r\nVersion=Mobrelle V 3.8.0.00\r\n");
  AppCore core(dir.File("Mobrelle.ini"));
  PrepareCore(core, true);
  LoadAccountsAndSettings(core, dir.Path());
  EXPECT_TRUE(core.Mailboxes.MailboxNames().empty());
  EXPECT_TRUE(core.VersionCheckDone);
}

TEST(Startup, LockPasswordMustBeGiven) {
  TempDir dir;
  WriteFileBytes(dir.File("Mobrelle.ini"), "[Mobrelle]\r\nProtege=" + ScramblePassword("lock") + "\r\n");
  struct Case {
    std::optional<std::string> answer;
    bool opens;
  };
  for (const Case& c : {Case{std::nullopt, false}, Case{std::string(), false}, Case{std::string("LOCK"), false},
                        Case{std::string("lock"), true}}) {
    AppCore core(dir.File("Mobrelle.ini"));
    PrepareCore(core, false);
    std::string caption;
    const bool opened = UnlockAtStartup(core, [&](const std::string& cap, const std::string&) {
      caption = cap;
      return c.answer;
    });
    EXPECT_EQ(opened, c.opens);
    EXPECT_EQ(core.IsProtected, c.opens);
    EXPECT_EQ(caption, "Mobrelle - Mot de passe au d\xE9marrage");
  }
  // No lock: nobody is asked.
  TempDir open;
  AppCore core(open.File("Mobrelle.ini"));
  EXPECT_TRUE(UnlockAtStartup(core, [](const std::string&, const std::string&) -> std::optional<std::string> {
    ADD_FAILURE() << "asked";
    return std::nullopt;
  }));
}

}  // namespace
}  // namespace mobrelle
