#include "ui/tray/tray_state.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/core/ini_file.h"
#include "app/mailbox_list_model.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {

void PrintTo(const TrayState& s, std::ostream* os) {
  *os << (s.Set == TraySet::Normal ? "normal " : "animation ") << s.Index << (s.Animating ? " animating" : "")
      << " tip \"" << s.Tip << "\"";
}

namespace {

const std::string kInactiveCaption = "Mobrelle - D\xE9sactiv\xE9";

// The window as the tray sees it.
struct World {
  bool active = true;
  int rows = 0;
  bool error = false;
  std::string caption = "Mobrelle";
};

TrayInputs InputsOf(World& w) {
  return {[&w] { return w.active; }, [&w] { return w.rows; }, [&w] { return w.error; },
          [&w] { return w.caption; }};
}

TrayState Normal(int index, std::string tip) { return {TraySet::Normal, index, false, std::move(tip)}; }
TrayState Animated(std::string tip) { return {TraySet::Animation, 0, true, std::move(tip)}; }

// A check from a given starting icon to a given list.
struct CheckCase {
  const char* name;
  bool startAnimating;  // the icon animates from an earlier check; else the plain icon of `before`
  int before, after;
  bool active, error;
  TrayState expected;
  bool soundDue;
};

TEST(TrayAfterCheck, IconTipAndSoundByTheRowsBeforeAndAfter) {
  const std::vector<CheckCase> cases = {
      {"rows added", false, 0, 3, true, false, Animated("Mobrelle - 3 messages"), true},
      {"one row added", false, 2, 3, true, false, Animated("Mobrelle - 3 messages"), true},
      {"rows added while another mailbox is in error", false, 0, 3, true, true,
       Normal(kTrayErrorWaiting, "Mobrelle - 3 messages"), true},
      {"same rows", false, 3, 3, true, false, Normal(kTrayWaiting, "Mobrelle - 3 messages"), false},
      {"same rows while animating", true, 3, 3, true, false, Animated("Mobrelle - 3 messages"), false},
      {"rows removed", false, 3, 2, true, false, Normal(kTrayWaiting, "Mobrelle - 2 messages"), false},
      {"rows removed while animating", true, 3, 2, true, false, Animated("Mobrelle - 2 messages"), false},
      {"one row", false, 0, 1, true, false, Animated("Mobrelle - 1 message"), true},
      {"list emptied", true, 2, 0, true, false, Normal(kTrayActive, "Mobrelle - 0 message"), false},
      {"empty, nothing new", false, 0, 0, true, false, Normal(kTrayActive, "Mobrelle - 0 message"), false},
      {"emptied while the scheduler is off", true, 2, 0, false, false,
       Normal(kTrayInactive, kInactiveCaption + " - 0 message"), false},
      {"empty with a mailbox in error", false, 0, 0, true, true, Normal(kTrayError, "Mobrelle - 0 message"),
       false},
      {"user check while the scheduler is off", false, 0, 2, false, false,
       Animated(kInactiveCaption + " - 2 messages"), true},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    World w{c.active, c.before, false, c.active ? "Mobrelle" : kInactiveCaption};
    TrayStateMachine tray(InputsOf(w));
    if (c.startAnimating) {
      w.rows = 0;
      tray.TrayAfterCheck(0);
      w.rows = c.before;
      tray.TrayAfterCheck(0);
      ASSERT_TRUE(tray.State().Animating);
    } else {
      tray.PlainTrayRefresh();
    }
    w.rows = c.after;
    w.error = c.error;
    EXPECT_EQ(tray.TrayAfterCheck(c.before), c.soundDue);
    EXPECT_EQ(tray.State(), c.expected);
  }
}

TEST(TrayAfterCheck, ShowsOnlyTheOutcomeWhenAnErrorOverridesTheAnimation) {
  World w{true, 0, false, "Mobrelle"};
  TrayStateMachine tray(InputsOf(w));
  std::vector<TrayState> shown;
  tray.OnChange([&](const TrayState& s) { shown.push_back(s); });
  w.rows = 2;
  w.error = true;
  tray.TrayAfterCheck(0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], Normal(kTrayErrorWaiting, "Mobrelle - 2 messages"));
  // Nothing changed, nothing to show.
  tray.TrayAfterCheck(2);
  EXPECT_EQ(shown.size(), 1u);
}

TEST(TrayAfterCheck, TipIsCutAt127Characters) {
  World w{true, 0, false, std::string(130, 'c')};
  TrayStateMachine tray(InputsOf(w));
  w.rows = 3;
  tray.TrayAfterCheck(0);
  EXPECT_EQ(tray.State().Tip, std::string(127, 'c'));
  w.caption = std::string(120, 'c');
  tray.TrayAfterCheck(3);
  EXPECT_EQ(tray.State().Tip, std::string(120, 'c') + " - 3 me");
  w.caption = std::string(200, 'k');
  tray.ListCleared();
  EXPECT_EQ(tray.State().Tip.size(), 127u);
}

TEST(TrayState, StartsOnTheActiveIconWithTheProgramName) {
  World w;
  TrayStateMachine tray(InputsOf(w));
  EXPECT_EQ(tray.State(), Normal(kTrayActive, "Mobrelle"));
}

// The refreshes run by window events, each from an animating icon.
struct RefreshCase {
  const char* name;
  bool active;
  int rows;
  bool error;
  int plain;          // PlainTrayRefresh
  int errorAware;     // TrayRefresh
  bool errorShown;    // ErrorIconShown's answer; without an error it leaves the animation running
};

TEST(TrayRefreshes, IconByTheSchedulerTheListAndTheMailboxErrors) {
  const std::vector<RefreshCase> cases = {
      {"active, empty", true, 0, false, kTrayActive, kTrayActive, false},
      {"active, rows", true, 4, false, kTrayWaiting, kTrayWaiting, false},
      {"inactive, rows", false, 4, false, kTrayInactive, kTrayInactive, false},
      {"error, rows", true, 4, true, kTrayWaiting, kTrayErrorWaiting, true},
      {"error, empty", true, 0, true, kTrayActive, kTrayError, true},
      {"inactive with an error", false, 4, true, kTrayInactive, kTrayErrorWaiting, true},
  };
  enum Op { Plain, ErrorAware, ErrorOnly };
  for (const RefreshCase& c : cases) {
    for (Op op : {Plain, ErrorAware, ErrorOnly}) {
      SCOPED_TRACE(std::string(c.name) + " op " + std::to_string(op));
      World w{c.active, 0, false, "Mobrelle"};
      TrayStateMachine tray(InputsOf(w));
      w.rows = 1;
      tray.TrayAfterCheck(0);
      w.rows = c.rows;
      w.error = c.error;
      const TrayState animating = tray.State();
      ASSERT_TRUE(animating.Animating);
      if (op == Plain) {
        tray.PlainTrayRefresh();
        EXPECT_EQ(tray.State(), Normal(c.plain, animating.Tip));
      } else if (op == ErrorAware) {
        tray.TrayRefresh();
        EXPECT_EQ(tray.State(), Normal(c.errorAware, animating.Tip));
      } else {
        EXPECT_EQ(tray.ErrorIconShown(), c.errorShown);
        EXPECT_EQ(tray.State(), c.errorShown ? Normal(c.errorAware, animating.Tip) : animating);
      }
    }
  }
}

TEST(TrayState, ClearingTheListStopsTheAnimationAndShowsTheCaption) {
  World w{true, 0, false, "Mobrelle"};
  TrayStateMachine tray(InputsOf(w));
  w.rows = 3;
  tray.TrayAfterCheck(0);
  w.rows = 0;
  tray.ListCleared();
  EXPECT_EQ(tray.State(), Normal(kTrayActive, "Mobrelle"));

  w = {false, 3, false, kInactiveCaption};
  tray.TrayAfterCheck(0);
  w.rows = 0;
  tray.ListCleared();
  EXPECT_EQ(tray.State(), Normal(kTrayInactive, kInactiveCaption));
}

TEST(TrayState, SchedulerSwitch) {
  World w{true, 0, false, "Mobrelle"};
  TrayStateMachine tray(InputsOf(w));
  w.rows = 3;
  tray.TrayAfterCheck(0);
  ASSERT_TRUE(tray.State().Animating);

  // Off: the animation stops, the inactive icon, the new caption as tip.
  w.active = false;
  w.caption = kInactiveCaption;
  tray.SchedulerSwitched(false);
  EXPECT_EQ(tray.State(), Normal(kTrayInactive, kInactiveCaption));

  // On: the icon by the list; the tip waits for the next check.
  w.active = true;
  w.caption = "Mobrelle";
  tray.SchedulerSwitched(true);
  EXPECT_EQ(tray.State(), Normal(kTrayWaiting, kInactiveCaption));
  w.rows = 0;
  tray.SchedulerSwitched(false);
  tray.SchedulerSwitched(true);
  EXPECT_EQ(tray.State().Index, kTrayActive);
  tray.TrayAfterCheck(0);
  EXPECT_EQ(tray.State().Tip, "Mobrelle - 0 message");

  // A check the user ran while the scheduler was off may animate; switching on leaves it running.
  w.active = false;
  tray.SchedulerSwitched(false);
  w.rows = 2;
  tray.TrayAfterCheck(0);
  w.active = true;
  tray.SchedulerSwitched(true);
  EXPECT_TRUE(tray.State().Animating);
}

TEST(TrayState, AMailboxIsInErrorWhenItsCountColumnShowsErreur) {
  test::TempDir dir;
  const std::string path = dir.File("Mobrelle.ini");
  test::WriteFileBytes(path, "[Maison]\r\nIntervalle=0x12C\r\n[Travail]\r\nIntervalle=0x12C\r\n");
  IniFile ini(path);
  MailboxListModel mailboxes(ini);
  mailboxes.LoadAll({"Maison", "Travail"});
  ASSERT_EQ(mailboxes.Count(), 2);
  EXPECT_FALSE(AnyMailboxInError(mailboxes));
  mailboxes.SetMessageCountText(1, "Erreur");
  EXPECT_EQ(mailboxes.data(mailboxes.index(1, 2), Qt::DisplayRole).toString(), "Erreur");
  EXPECT_TRUE(AnyMailboxInError(mailboxes));
  // The next successful check replaces it.
  mailboxes.SetMessageCount(1, 2);
  EXPECT_FALSE(AnyMailboxInError(mailboxes));
}

}  // namespace
}  // namespace mobrelle
