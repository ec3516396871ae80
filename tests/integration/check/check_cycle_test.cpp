#include "polling/check/check_cycle.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

#include "app/app_core.h"
#include "app/busy_lock.h"
#include "app/core/texts.h"
#include "app/startup.h"
#include "filters/verdicts/verdict_ports.h"
#include "polling/pop3/sync_pop3_cli.h"
#include "tests/support/servers/dovecot_server.h"
#include "tests/support/servers/fake_server.h"
#include "tests/support/temp_dir.h"

namespace mobrelle::test {
namespace {

std::string Mail(const std::string& from, const std::string& subject, const std::string& to = "jean@maison.test") {
  return "Return-Path: <" + from + ">\r\nFrom: " + from + "\r\nTo: " + to + "\r\nSubject: " + subject +
         "\r\nDate: Thu, 10 Dec 2026 08:00:00 +0100\r\n\r\nBody of " + subject + "\r\n";
}

class RecordingView : public CheckView, public RejectAlert {
 public:
  void SetListBusy(bool busy) override { listBusy = busy; }
  void SetScreenBusy(bool) override {}
  void ShowInterruptButton(bool visible) override { interruptShown = interruptShown || visible; }
  void EnableInterruptButton(bool, const std::string&) override {}
  void ShowVersionLabel() override {}
  void ShowCountLabel(const std::string& text) override { countLabel = text; }
  void TrayAfterCheck(int before) override { trayCalls.push_back(before); }
  void ErrorIconShown() override {}
  void EnableClearList(bool enabled) override { clearEnabled = enabled; }
  void Beep() override { ++beeps; }
  void FocusMessageList() override {}
  bool AlertStopDown() const override { return false; }
  void ReleaseAlertStop() override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  RejectAlert* Alert() override { return this; }
  RejectionAnnouncer* Announcer() override { return nullptr; }
  // The alert: counts down to its default at once.
  void ClearFields() override {}
  void PaintRed(AlertField) override {}
  void ShowRecipientsEmpty() override {}
  bool RecipientsShowEmpty() const override { return false; }
  void SetFrameText(const std::string&) override {}
  AlertResult Show(char verdict, int, const AlertTexts&) override {
    alerts.push_back(verdict);
    if (onAlert) onAlert();
    return {AlertResult::Choice::Closed, -1};
  }

  bool listBusy = false, interruptShown = false, clearEnabled = false;
  int beeps = 0;
  std::string countLabel;
  std::vector<int> trayCalls;
  std::vector<std::string> messages;
  std::vector<char> alerts;
  std::function<void()> onAlert;
};

class CheckCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BusyLock::ResetForTests();
    core = std::make_unique<AppCore>(dir.File("Mobrelle.ini"));
    PrepareCore(*core, true);
    core->Filters.Files.Folder = dir.Path();
    core->Settings.TestInternet = false;
  }

  int AddMailbox(const std::string& label, const std::string& user, const std::string& password, uint16_t port,
                 const std::string& destUnique = "") {
    MailboxFields f;
    f.Label = label;
    f.UserName = user;
    f.Host = "127.0.0.1";
    f.Password = password;
    f.IntervalText = "0";
    if (!destUnique.empty()) {
      f.Domain = destUnique.substr(0, destUnique.find(','));
      f.LocalParts = {destUnique.substr(destUnique.find(',') + 1)};
      f.Rule1 = true;
      f.TypeRejet = 0;
    }
    std::string error;
    EXPECT_TRUE(core->Mailboxes.Create(f, &error)) << error;
    const int row = core->Mailboxes.Count() - 1;
    core->Mailboxes.Record(row).Client->Port = port;
    return row;
  }

  CheckCycle& Cycle() {
    if (!cycle) cycle = std::make_unique<CheckCycle>(*core, view, rows);
    return *cycle;
  }

  std::vector<std::string> Column(int sub) const {
    std::vector<std::string> out;
    for (int r = 0; r < rows.Count(); ++r) out.push_back(sub < 0 ? rows.Row(r).Number : rows.Row(r).SubItems[sub]);
    return out;
  }

  TempDir dir;
  std::unique_ptr<AppCore> core;
  RecordingView view;
  MessageListModel rows;
  std::unique_ptr<CheckCycle> cycle;
};

TEST_F(CheckCycleTest, NewMessagesAreJudgedListedAndRenumbered) {
  DovecotServer server;
  server.AddUser("jean", "pw");
  server.AddMessage("jean", Mail("virus@spam.test", "gagnez"));
  server.AddMessage("jean", Mail("marie@amis.test", "dimanche"));
  server.AddMessage("jean", Mail("paul@amis.test", "photos"));
  ASSERT_TRUE(server.Start());
  const int row = AddMailbox("Maison", "jean", "pw", server.Port());
  core->Filters.Lists.ListeAdr.Entries = {{"\xB6virus", "", "R", "N ", "", false}};

  Cycle().Timer1Timer(CheckSender::QueryMenu, row);
  EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Column(MessageListModel::kSubject), (std::vector<std::string>{"dimanche", "photos"}));
  EXPECT_EQ(Column(MessageListModel::kMailbox), (std::vector<std::string>{"Maison", "Maison"}));
  EXPECT_EQ(core->Mailboxes.SubItemText(row, MailboxListModel::kCount), "2");
  EXPECT_EQ(server.MessageCount("jean"), 2u);  // the DELE took effect at QUIT
  ASSERT_EQ(core->Filters.Lists.ListeHist.Entries.size(), 1u);
  EXPECT_EQ(core->Filters.Lists.ListeHist.Entries[0].Mailbox, "Maison");
  EXPECT_EQ(core->Filters.Lists.ListeAdr.Entries[0].Effectues, "1");
  EXPECT_EQ(view.trayCalls, (std::vector<int>{0}));
  EXPECT_TRUE(view.interruptShown);
  EXPECT_FALSE(view.listBusy);
  EXPECT_TRUE(view.clearEnabled);
  EXPECT_NE(view.countLabel.find(" 2 messages"), std::string::npos);
  EXPECT_TRUE(core->VersionCheckDone);

  // Checked again: the known rows cost a UIDL each and keep their place; nothing is judged again.
  const std::vector<std::string> uidls = Column(MessageListModel::kUidl);
  Cycle().Timer1Timer(CheckSender::QueryMenu, row);
  EXPECT_EQ(Column(MessageListModel::kUidl), uidls);
  EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(core->Filters.Lists.ListeHist.Entries.size(), 1u);
}

TEST_F(CheckCycleTest, VanishedMessagesLeaveAndEmptyMailboxesClearTheirRows) {
  DovecotServer server;
  server.AddUser("jean", "pw");
  for (const char* s : {"un", "deux", "trois"}) server.AddMessage("jean", Mail("a@amis.test", s));
  ASSERT_TRUE(server.Start());
  const int row = AddMailbox("Maison", "jean", "pw", server.Port());
  Cycle().Timer1Timer(CheckSender::QueryMenu, row);
  ASSERT_EQ(rows.Count(), 3);

  // Another client removes message 2.
  TSyncPop3Cli other;
  other.Host = "127.0.0.1";
  other.Port = server.Port();
  other.UserName = "jean";
  other.PassWord = "pw";
  ASSERT_TRUE(other.OpenSync());
  other.MsgNum = 2;
  ASSERT_TRUE(other.DeleSync());
  ASSERT_TRUE(other.QuitSync());

  Cycle().Timer1Timer(CheckSender::QueryMenu, row);
  EXPECT_EQ(Column(MessageListModel::kSubject), (std::vector<std::string>{"un", "trois"}));
  EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(core->Mailboxes.SubItemText(row, MailboxListModel::kCount), "2");
}

TEST_F(CheckCycleTest, WrongPasswordAndUnreachableServer) {
  DovecotServer server;
  server.AddUser("jean", "pw");
  server.AddMessage("jean", Mail("a@amis.test", "un"));
  ASSERT_TRUE(server.Start());
  const int wrong = AddMailbox("Mauvais", "jean", "faux", server.Port());
  Cycle().Timer1Timer(CheckSender::QueryMenu, wrong);
  EXPECT_EQ(rows.Count(), 0);
  EXPECT_EQ(core->Log.Panel(1).rfind(" Mauvais=>-ERR", 0), 0u) << core->Log.Panel(1);
  EXPECT_EQ(server.MessageCount("jean"), 1u);

  // Nobody listens: the connection fails, the row says so.
  FakeServer closed(FakeServer::Mode::kSilent);
  ASSERT_TRUE(closed.Start());
  const uint16_t port = closed.Port();
  closed.Stop();
  const int gone = AddMailbox("Partie", "jean", "pw", port);
  Cycle().Timer1Timer(CheckSender::QueryMenu, gone);
  EXPECT_EQ(core->Mailboxes.SubItemText(gone, MailboxListModel::kCount), Txt(1013));
  EXPECT_EQ(view.beeps, 1);
  EXPECT_NE(std::find(core->Log.Events().begin(), core->Log.Events().end(), " " + Txt(1012) + "Partie"),
            core->Log.Events().end());
}

TEST_F(CheckCycleTest, SchedulerInactiveTimersOnlyLog) {
  DovecotServer server;
  server.AddUser("jean", "pw");
  server.AddMessage("jean", Mail("a@amis.test", "un"));
  ASSERT_TRUE(server.Start());
  const int row = AddMailbox("Maison", "jean", "pw", server.Port());
  core->SchedulerActive = false;
  TSyncPop3Cli* client = core->Mailboxes.Record(row).Client.get();
  Cycle().Timer1Timer(CheckSender::Timer, -1, client);
  EXPECT_EQ(core->Log.Events().front(), " " + Txt(1010));
  EXPECT_EQ(rows.Count(), 0);
  Cycle().Timer1Timer(CheckSender::MailboxList, row);  // a double click still checks
  EXPECT_EQ(rows.Count(), 1);
  Cycle().Timer1Timer(CheckSender::MailboxList, -1);  // no row selected
  {
    BusyLock::Hold hold;
    Cycle().Timer1Timer(CheckSender::MailboxList, row);
  }
  EXPECT_EQ(rows.Count(), 1);
}

// Two servers that report the same unique id: each mailbox's message is its own.
TEST_F(CheckCycleTest, SameUidlInTwoMailboxes) {
  FakeServer one(FakeServer::Mode::kLongLine), two(FakeServer::Mode::kLongLine);
  one.SetLongLineBytes(20);
  two.SetLongLineBytes(20);
  ASSERT_TRUE(one.Start());
  ASSERT_TRUE(two.Start());
  const int a = AddMailbox("Un", "x", "y", one.Port());
  const int b = AddMailbox("Deux", "x", "y", two.Port());
  Cycle().Button1Click();
  ASSERT_EQ(rows.Count(), 2);
  EXPECT_EQ(Column(MessageListModel::kMailbox), (std::vector<std::string>{"Un", "Deux"}));
  EXPECT_EQ(rows.Row(0).Client, core->Mailboxes.Record(a).Client.get());
  EXPECT_EQ(rows.Row(1).Client, core->Mailboxes.Record(b).Client.get());
  EXPECT_EQ(Column(-1), (std::vector<std::string>{"1", "1"}));
}

// Nothing starts while the alert is shown; a check of another mailbox does run inside a server wait.
TEST_F(CheckCycleTest, AnotherMailboxCheckedInsideAWait) {
  DovecotServer server;
  server.AddUser("jean", "pw");
  server.AddUser("marie", "pw");
  server.AddMessage("jean", Mail("a@amis.test", "pour jean"));
  server.AddMessage("jean", Mail("c@amis.test", "encore jean"));
  server.AddMessage("marie", Mail("b@amis.test", "pour marie"));
  ASSERT_TRUE(server.Start());
  const int a = AddMailbox("Jean", "jean", "pw", server.Port());
  const int b = AddMailbox("Marie", "marie", "pw", server.Port());
  core->Filters.Lists.ListeSuj.Entries = {{"\xB6pour jean", "", "g", "N ", "", false}};
  view.onAlert = [&] { Cycle().Timer1Timer(CheckSender::QueryMenu, b); };
  Cycle().Timer1Timer(CheckSender::QueryMenu, a);
  EXPECT_EQ(view.alerts, (std::vector<char>{'g'}));
  // Kept after its countdown, with the note of the filter that caught it.
  EXPECT_EQ(Column(MessageListModel::kSubject),
            (std::vector<std::string>{"pour jean\xA0(\xB6pour jean)\xA0", "encore jean"}));

  // Marie's check starts while Jean's waits for its first header.
  view.onAlert = nullptr;
  rows.Clear();
  bool nestedRan = false;
  QTimer kick;
  kick.setSingleShot(true);
  kick.setInterval(0);
  QObject::connect(&kick, &QTimer::timeout, [&] {
    nestedRan = true;
    Cycle().Timer1Timer(CheckSender::QueryMenu, b);
  });
  TSyncPop3Cli* jean = core->Mailboxes.Record(a).Client.get();
  jean->OnDisplay = [&](TSyncPop3Cli*, const std::string& line) {
    if (line.rfind("> TOP 1", 0) == 0 && !nestedRan) kick.start();
  };
  Cycle().Timer1Timer(CheckSender::QueryMenu, a);
  EXPECT_TRUE(nestedRan);
  std::vector<std::string> subjects = Column(MessageListModel::kSubject);
  std::sort(subjects.begin(), subjects.end());
  EXPECT_EQ(subjects, (std::vector<std::string>{"encore jean", "pour jean\xA0(\xB6pour jean)\xA0", "pour marie"}));
  EXPECT_FALSE(view.listBusy);
}

TEST_F(CheckCycleTest, EmptyMailboxApopAndInterrupt) {
  DovecotServer server;
  server.AddUser("jean", "pw");
  server.AddUser("vide", "pw");
  for (const char* s : {"un", "deux", "trois"}) server.AddMessage("jean", Mail("a@amis.test", s));
  ASSERT_TRUE(server.Start());
  const int jean = AddMailbox("Jean", "jean", "pw", server.Port());
  core->Mailboxes.Record(jean).Pop3APOP = true;
  Cycle().Timer1Timer(CheckSender::QueryMenu, jean);
  EXPECT_EQ(rows.Count(), 3);

  // An empty mailbox: no UIDL, no TOP, no stop button.
  const int empty = AddMailbox("Vide", "vide", "pw", server.Port());
  std::vector<std::string> sent;
  core->Mailboxes.Record(empty).Client->OnDisplay = [&](TSyncPop3Cli*, const std::string& l) {
    if (l.rfind("> ", 0) == 0) sent.push_back(l.substr(2, 4));
  };
  view.interruptShown = false;
  Cycle().Timer1Timer(CheckSender::QueryMenu, empty);
  EXPECT_EQ(sent, (std::vector<std::string>{"USER", "PASS", "STAT", "QUIT"}));
  EXPECT_FALSE(view.interruptShown);
  EXPECT_EQ(core->Mailboxes.SubItemText(empty, MailboxListModel::kCount), "");
  EXPECT_EQ(rows.Count(), 3);

  // Stopped while the first header is on its way: the next messages are not fetched, and the rows
  // of the messages it did not come to leave the list until the next check finds them again.
  rows.Clear();
  Cycle().Timer1Timer(CheckSender::QueryMenu, jean);
  ASSERT_EQ(rows.Count(), 3);
  const std::string firstUidl = rows.Row(0).Uidl();
  rows.RemoveVanished(core->Mailboxes.Record(jean).Client.get(), {firstUidl});  // only message 1 is listed
  sent.clear();
  // The click lands while TOP 2 is under way (a reply that comes at once may be read before the
  // event loop's next round, so a timer would not say when).
  core->Mailboxes.Record(jean).Client->OnDisplay = [&](TSyncPop3Cli*, const std::string& l) {
    if (l.rfind("> ", 0) == 0) sent.push_back(l.substr(2));
    if (l.rfind("> TOP 2", 0) == 0) Cycle().BtnInterrompreClick();
  };
  Cycle().Timer1Timer(CheckSender::QueryMenu, jean);
  EXPECT_EQ(Cycle().InterruptRequest(), 1);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "TOP 3 0"), 0);
  EXPECT_EQ(core->Log.Events().end() != std::find(core->Log.Events().begin(), core->Log.Events().end(),
                                                   " " + Txt(1094)),
            true);
  EXPECT_LE(rows.Count(), 2);
  EXPECT_EQ(rows.Row(0).Uidl(), firstUidl);
  EXPECT_EQ(server.MessageCount("jean"), 3u);
}

// A header cut by a dropped connection is neither judged nor listed.
TEST_F(CheckCycleTest, CutHeaderIsNotJudged) {
  FakeServer server(FakeServer::Mode::kDropMidTop);
  ASSERT_TRUE(server.Start());
  const int row = AddMailbox("Coupee", "x", "y", server.Port());
  core->Filters.Lists.ListeAdr.Entries = {{"*", "", "R", "N ", "", false}};  // would reject anything
  Cycle().Timer1Timer(CheckSender::QueryMenu, row);
  EXPECT_EQ(rows.Count(), 0);
  EXPECT_TRUE(core->Filters.Lists.ListeHist.Entries.empty());
  EXPECT_EQ(core->Log.Panel(1).rfind(" Coupee=>-ERR", 0), 0u) << core->Log.Panel(1);
  for (const std::string& line : server.ReceivedLines()) EXPECT_EQ(line.rfind("DELE", 0), std::string::npos);
}

}  // namespace
}  // namespace mobrelle::test
