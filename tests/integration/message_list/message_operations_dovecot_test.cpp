#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <unordered_set>

#include "app/busy_lock.h"
#include "app/core/ini_file.h"
#include "app/core/texts.h"
#include "app/mailbox_list_model.h"
#include "filters/lists/filter_lists.h"
#include "inspect/mime/mime_decode.h"
#include "polling/headers/format_size.h"
#include "polling/headers/header_buffer.h"
#include "polling/headers/message_texts.h"
#include "polling/message_list/message_list_model.h"
#include "polling/message_list/message_operations.h"
#include "polling/pop3/sync_pop3_cli.h"
#include "tests/support/servers/dovecot_server.h"
#include "tests/support/temp_dir.h"

namespace mobrelle::test {
namespace {

const std::string kAlice1 =
    "Return-Path: <ann@example.test>\r\n"
    "From: =?ISO-8859-1?Q?Ann_Caf=E9?= <ann@example.test>\r\n"
    "To: =?ISO-8859-1?Q?Alice_B=E9?= <alice@example.test>\r\n"
    "Cc: carol@example.test\r\n"
    "Subject: first, hello\r\n"
    "Date: Tue, 15 Nov 1994 08:12:31 -0800\r\n"
    "Content-Type: text/plain; charset=iso-8859-1\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "Line one caf=E9\r\n"
    "\r\n"
    "soft=\r\n"
    " break\r\n"
    "last\r\n";
const std::string kAlice2 =
    "From: bob@example.test\r\nTo: alice@example.test\r\nSubject: second\r\nDate: 16 Nov 1994 09:00:00\r\n"
    "Content-Type: multipart/mixed; boundary=\"XX\"\r\n\r\n--XX\r\nContent-Type: text/plain\r\n\r\npart text\r\n--XX--\r\n";
const std::string kAlice3 = "From: carl@example.test\r\nTo: alice@example.test\r\nSubject: third\r\n\r\nbody3\r\n";
const std::string kBob1 = "From: dan@example.test\r\nTo: bob@example.test\r\nSubject: b-first\r\n\r\nx\r\n";
const std::string kBob2 = "From: eve@example.test\r\nTo: bob@example.test\r\nSubject: b-second\r\n\r\ny\r\n";

class RecordingWindow : public MessageOperationsWindow {
 public:
  bool AskYesNo(const std::string& title, const std::string& question) override {
    questions.emplace_back(title, question);
    return answer;
  }
  void ShowWarning(const std::string& text, const std::string& caption) override { warnings.emplace_back(text, caption); }
  void SetBusyCursor(bool on) override { busy = on; }
  void SetListEnabled(bool enabled) override { listEnabled.push_back(enabled); }
  void FocusList() override { ++listFocused; }
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }

  bool answer = true;
  std::vector<std::pair<std::string, std::string>> questions, warnings;
  std::vector<std::string> statuses;
  std::vector<bool> listEnabled;
  bool busy = false;
  int listFocused = 0;
};

class RecordingViewer : public MessageViewer {
 public:
  void SetUidl(const std::string& u) override { uidl = u; }
  int LineCount() const override { return lineCount; }
  void ClearText() override { text.clear(); }
  void AppendLine(const std::string& line) override { text.push_back(line); }
  void SetSender(const std::string& t) override { sender = t; }
  void SetSubject(const std::string& t) override { subject = t; }
  void SetDate(const std::string& t) override { date = t; }
  void SetRecipient(const std::string& t) override { recipient = t; }
  void SetSize(const std::string& t) override { size = t; }
  void ShowModal() override { ++shown; }
  void FocusLineCount() override { ++focused; }

  int lineCount = 10;
  std::string uidl, sender, subject, date, recipient, size;
  std::vector<std::string> text;
  int shown = 0, focused = 0;
};

std::vector<std::string> HeaderLinesOf(const std::string& message) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (true) {
    const size_t end = message.find("\r\n", pos);
    out.push_back(message.substr(pos, end - pos));
    if (end == pos) break;  // the empty line that ends the header
    pos = end + 2;
  }
  return out;
}

class MessageOperationsDovecotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BusyLock::ResetForTests();
    server.AddUser("alice", "secret");
    server.AddUser("bob", "hunter2");
    for (const std::string* m : {&kAlice1, &kAlice2, &kAlice3}) server.AddMessage("alice", *m);
    for (const std::string* m : {&kBob1, &kBob2}) server.AddMessage("bob", *m);
    ASSERT_TRUE(server.Start());
    AddMailbox("Alice", "alice", "secret", false);
    AddMailbox("Bob", "bob", "hunter2", true);
    ops.CheckMailbox = [this](int row) {
      checks.push_back(row);
      busyDuringCheck.push_back(BusyLock::IsSet());
      traceAtCheck.push_back(traces[static_cast<size_t>(row)]);
      Check(row);
    };
    Check(0);
    Check(1);
    ASSERT_EQ(list.Count(), 5);
    for (auto& t : traces) t.clear();
  }
  void TearDown() override { BusyLock::ResetForTests(); }

  void AddMailbox(const std::string& label, const std::string& user, const std::string& password, bool apop) {
    MailboxFields f;
    f.Label = label;
    f.UserName = user;
    f.Host = server.Host();
    f.Password = password;
    f.IntervalText = "0";
    f.Pop3APOP = apop;
    ASSERT_TRUE(boxes.Create(f));
    const int row = boxes.Count() - 1;
    structBoite& b = boxes.Record(row);
    b.Pop3APOP = apop;
    b.Client->Port = server.Port();
    traces.emplace_back();
    b.Client->OnDisplay = [this, row](TSyncPop3Cli*, const std::string& line) { traces[static_cast<size_t>(row)].push_back(line); };
  }

  // A plain stand-in for the program's check of one mailbox: new messages listed, known ones
  // renumbered, vanished ones dropped. `inside` runs in the middle of the session.
  void Check(int row, const std::function<void()>& inside = {}) {
    structBoite& b = boxes.Record(row);
    TSyncPop3Cli& c = *b.Client;
    if (c.Connected()) return;
    if (b.Pop3APOP) {
      if (c.ConnectSync()) c.APopSync();
    } else {
      c.OpenSync();
    }
    if (!c.Connected()) return;
    c.StatSync();
    if (inside) inside();
    const int n = c.MsgCount();
    const int rowsAtStart = list.Count();
    std::unordered_set<std::string> seen;
    for (int i = 1; i <= n; ++i) {
      c.MsgNum = i;
      c.UidlSync();
      const std::string uidl = c.MsgUidl();
      seen.insert(uidl);
      const int known = list.FindKnown(uidl, &c, rowsAtStart);
      if (known >= 0) {
        list.SetNumber(known, i);
        continue;
      }
      HeaderBuffer buffer;
      c.OnMessageLine = [&](TSyncPop3Cli* cli) { buffer.AppendLine(cli->LastResponse()); };
      c.MsgLines = 0;
      c.TopSync();
      c.OnMessageLine = nullptr;
      TMimeDecode d;
      d.DecodeBytes(buffer.Bytes());
      const MessageTexts t = DeriveMessageTexts(d);
      c.ListSync();
      NewMessageRow m;
      m.Number = i;
      m.Sender = t.sender;
      m.Subject = t.subject;
      m.Date = t.date;
      m.Size = static_cast<uint64_t>(c.MsgSize());
      m.Mailbox = boxes.Caption(row);
      m.ContentType = t.contentType;
      m.Uidl = uidl;
      m.To = t.to;
      m.Cc = t.cc;
      m.Client = &c;
      list.AddRow(m);
    }
    c.QuitSync();
    list.RemoveVanished(&c, seen);
  }

  uint64_t IdOf(const std::string& subjectStart) const {
    for (int i = 0; i < list.Count(); ++i)
      if (list.Row(i).SubItems[MessageListModel::kSubject].rfind(subjectStart, 0) == 0) return list.Row(i).Id;
    ADD_FAILURE() << "no row " << subjectStart;
    return 0;
  }
  std::vector<std::string> Subjects() const {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Row(i).SubItems[MessageListModel::kSubject]);
    return out;
  }
  // Another program removes a message of alice's.
  void RemoveElsewhere(int number) {
    TSyncPop3Cli other;
    other.Host = server.Host();
    other.Port = server.Port();
    other.UserName = "alice";
    other.PassWord = "secret";
    ASSERT_TRUE(other.OpenSync());
    other.MsgNum = number;
    ASSERT_TRUE(other.DeleSync());
    ASSERT_TRUE(other.QuitSync());
  }

  static int CountPrefix(const std::vector<std::string>& trace, const std::string& prefix) {
    return static_cast<int>(std::count_if(trace.begin(), trace.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
  }
  static std::vector<std::string> Lines(const std::vector<std::string>& trace, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : trace)
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }

  DovecotServer server;
  TempDir dir;
  IniFile ini{dir.File("Mobrelle.ini")};
  MailboxListModel boxes{ini};
  MessageListModel list;
  RecordingWindow window;
  RecordingViewer viewer;
  HistoryList history;
  MessageOperations ops{list, boxes, window};
  std::vector<std::vector<std::string>> traces;  // per mailbox row
  std::vector<int> checks;
  std::vector<bool> busyDuringCheck;
  std::vector<std::vector<std::string>> traceAtCheck;
};

TEST_F(MessageOperationsDovecotTest, ThreeRowsOfTwoMailboxesOneQuestionOneSessionEachThenOneCheckEach) {
  const auto result =
      ops.DeleteSelectedMessages({IdOf("b-first"), IdOf("third"), IdOf("first")}, history, true);
  EXPECT_EQ(result, MessageOperations::DeleteResult::Done);

  ASSERT_EQ(window.questions.size(), 1u);
  EXPECT_EQ(window.questions[0].first, Txt(1048));
  EXPECT_EQ(window.questions[0].second, "Supprimer DEFINITIVEMENT 3 messages des serveurs ?");
  EXPECT_TRUE(window.warnings.empty());

  // Each mailbox: one login, its deletions, one QUIT, and only then its check.
  ASSERT_EQ(checks, (std::vector<int>{0, 1}));
  const auto& alice = traceAtCheck[0];
  EXPECT_EQ(CountPrefix(alice, "> USER"), 1);
  EXPECT_EQ(Lines(alice, "> DELE"), (std::vector<std::string>{"> DELE 1", "> DELE 3"}));
  EXPECT_EQ(CountPrefix(alice, "> QUIT"), 1);
  const auto& bob = traceAtCheck[1];
  EXPECT_EQ(CountPrefix(bob, "> APOP"), 1);
  EXPECT_EQ(CountPrefix(bob, "> USER"), 0);
  EXPECT_EQ(Lines(bob, "> DELE"), (std::vector<std::string>{"> DELE 1"}));
  EXPECT_EQ(CountPrefix(bob, "> QUIT"), 1);
  EXPECT_EQ(busyDuringCheck, (std::vector<bool>{false, false}));  // the check takes the lock itself
  EXPECT_FALSE(BusyLock::IsSet());

  // The checks found the UIDLs gone.
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"second", "b-second"}));
  EXPECT_EQ(list.Row(0).Number, "1");
  EXPECT_EQ(server.MessageCount("alice"), 1u);
  EXPECT_EQ(server.MessageCount("bob"), 1u);

  // History: newest on top, the texts as shown, a comma taken out so the file line keeps its fields.
  ASSERT_EQ(history.Entries.size(), 3u);
  EXPECT_TRUE(history.Modified);
  EXPECT_EQ(history.Entries[0].Subject, "b-first");
  EXPECT_EQ(history.Entries[0].Mailbox, "Bob");
  const HistoryEntry& first = history.Entries[2];
  EXPECT_EQ(first.Subject, "first hello");
  EXPECT_EQ(first.Sender, "ann@example.test");
  EXPECT_EQ(first.Recipients, "Alice B\xE9 <alice@example.test>");
  EXPECT_EQ(first.CopyRecipients, "carol@example.test");
  EXPECT_EQ(first.Mailbox, "Alice");
  EXPECT_FALSE(first.DateTime.empty());

  EXPECT_EQ(window.statuses.front(), Txt(1049));
  EXPECT_NE(std::find(window.statuses.begin(), window.statuses.end(), "Message de ann@example.test supprim\xE9"),
            window.statuses.end());
  EXPECT_EQ(window.listEnabled, (std::vector<bool>{false}));  // enabled again by the checks
  EXPECT_FALSE(window.busy);
}

TEST_F(MessageOperationsDovecotTest, NoTouchesNothingAndOneRowIsAskedInTheSingular) {
  window.answer = false;
  EXPECT_EQ(ops.DeleteSelectedMessages({IdOf("second")}, history, true), MessageOperations::DeleteResult::Refused);
  EXPECT_EQ(window.questions.at(0).second, "Supprimer DEFINITIVEMENT 1 message du serveur ?");
  for (const auto& t : traces) EXPECT_TRUE(t.empty());
  EXPECT_TRUE(checks.empty());
  EXPECT_EQ(list.Count(), 5);
  EXPECT_FALSE(BusyLock::IsSet());
  EXPECT_EQ(ops.DeleteSelectedMessages({}, history, true), MessageOperations::DeleteResult::NothingSelected);
  EXPECT_EQ(window.questions.size(), 1u);
}

TEST_F(MessageOperationsDovecotTest, MessageRemovedElsewhereGivesTheMismatchAndNoDele) {
  RemoveElsewhere(1);
  EXPECT_EQ(ops.DeleteSelectedMessages({IdOf("first")}, history, true), MessageOperations::DeleteResult::Done);
  ASSERT_EQ(window.warnings.size(), 1u);
  EXPECT_EQ(window.warnings[0], std::make_pair(Txt(1075), Txt(1076)));
  EXPECT_EQ(CountPrefix(traceAtCheck.at(0), "> DELE"), 0);
  EXPECT_EQ(checks, (std::vector<int>{0}));  // checked again at the end anyway
  EXPECT_TRUE(history.Entries.empty());
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"second", "third", "b-first", "b-second"}));
  EXPECT_EQ(list.Row(0).Number, "1");
  EXPECT_EQ(server.MessageCount("alice"), 2u);
}

TEST_F(MessageOperationsDovecotTest, FailedUidlOfOneRowDoesNotCondemnTheNextRowOfItsMailbox) {
  // List order third, second, first; message 3 leaves the server, so UIDL 3 fails first.
  ASSERT_TRUE(list.Sort(MessageListModel::kSubject + 1));
  ASSERT_TRUE(list.Sort(MessageListModel::kSubject + 1));
  ASSERT_EQ(Subjects().front(), "third");
  RemoveElsewhere(3);
  EXPECT_EQ(ops.DeleteSelectedMessages({IdOf("first"), IdOf("third")}, history, false),
            MessageOperations::DeleteResult::Done);
  EXPECT_EQ(window.warnings.size(), 1u);
  EXPECT_EQ(Lines(traceAtCheck.at(0), "> DELE"), (std::vector<std::string>{"> DELE 1"}));
  EXPECT_EQ(server.MessageCount("alice"), 1u);
  EXPECT_TRUE(history.Entries.empty());  // "HistoriseSuppression" off
  EXPECT_FALSE(history.Modified);
}

TEST_F(MessageOperationsDovecotTest, LoginFailureSkipsTheRowAndChecksNothing) {
  boxes.Record(0).Client->Port = 1;  // nothing listens there
  EXPECT_EQ(ops.DeleteSelectedMessages({IdOf("first")}, history, true), MessageOperations::DeleteResult::Done);
  EXPECT_TRUE(window.warnings.empty());
  EXPECT_TRUE(checks.empty());
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(window.listEnabled, (std::vector<bool>{false, true}));  // no check will enable it
}

TEST_F(MessageOperationsDovecotTest, HeaderModeShowsTheRawHeaderAndLeavesTheIcon) {
  const uint64_t id = IdOf("first");
  EXPECT_EQ(ops.DisplayMessage({IdOf("third"), id}, MessageOperations::DisplayMode::Header, false, viewer),
            MessageOperations::DisplayResult::Shown);
  EXPECT_EQ(viewer.uidl, list.Find(id)->Uidl());
  EXPECT_EQ(viewer.text, HeaderLinesOf(kAlice1));
  EXPECT_EQ(viewer.sender, "Ann Caf\xE9 <ann@example.test>");  // From, not Return-Path
  EXPECT_EQ(viewer.subject, "first, hello");
  EXPECT_EQ(viewer.date, "15/11/1994 08:12:31");
  EXPECT_EQ(viewer.recipient, "=?ISO-8859-1?Q?Alice_B=E9?= <alice@example.test>");  // as received
  EXPECT_EQ(viewer.size, FormatSize(kAlice1.size(), '.') + " octets.");
  EXPECT_EQ(viewer.shown, 1);
  EXPECT_EQ(window.listFocused, 1);
  EXPECT_EQ(list.Find(id)->Icon, 0);
  EXPECT_EQ(Lines(traces[0], "> TOP"), (std::vector<std::string>{"> TOP 1 0"}));
  EXPECT_EQ(CountPrefix(traces[0], "> QUIT"), 1);
  EXPECT_FALSE(boxes.Record(0).Client->Connected());
  EXPECT_FALSE(window.busy);
}

TEST_F(MessageOperationsDovecotTest, TextModeShowsTheDecodedBodyAndMarksTheRow) {
  const uint64_t first = IdOf("first");
  viewer.lineCount = 12;
  EXPECT_EQ(ops.DisplayMessage({first}, MessageOperations::DisplayMode::Text, false, viewer),
            MessageOperations::DisplayResult::Shown);
  EXPECT_EQ(Lines(traces[0], "> TOP"), (std::vector<std::string>{"> TOP 1 12"}));
  // Empty body lines dropped, quoted-printable decoded, a soft break ends the piece.
  EXPECT_EQ(viewer.text, (std::vector<std::string>{"Line one caf\xE9", "soft", " break", "last"}));
  EXPECT_EQ(list.Find(first)->Icon, 1);

  // The multipart one: 6 becomes 7; from the viewer's own button it is not shown again.
  const uint64_t second = IdOf("second");
  ASSERT_EQ(list.Find(second)->Icon, 6);
  EXPECT_EQ(ops.DisplayMessage({second}, MessageOperations::DisplayMode::Text, true, viewer),
            MessageOperations::DisplayResult::Shown);
  EXPECT_EQ(viewer.text, (std::vector<std::string>{"part text"}));
  EXPECT_EQ(list.Find(second)->Icon, 7);
  EXPECT_EQ(viewer.shown, 1);
  EXPECT_EQ(viewer.focused, 1);
}

TEST_F(MessageOperationsDovecotTest, DisplayOfAMessageRemovedElsewhereChecksTheMailboxAgain) {
  RemoveElsewhere(1);
  EXPECT_EQ(ops.DisplayMessage({IdOf("first")}, MessageOperations::DisplayMode::Text, false, viewer),
            MessageOperations::DisplayResult::Mismatch);
  EXPECT_EQ(window.warnings.size(), 1u);
  EXPECT_EQ(checks, (std::vector<int>{0}));
  EXPECT_EQ(CountPrefix(traceAtCheck.at(0), "> TOP"), 0);
  EXPECT_EQ(viewer.shown, 0);
  EXPECT_TRUE(viewer.uidl.empty());
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"second", "third", "b-first", "b-second"}));
}

TEST_F(MessageOperationsDovecotTest, CommandsDuringACheckOfTheirMailboxRunAfterIt) {
  std::vector<MessageOperations::DeleteResult> deletions;
  ops.OnDeferredDeletion = [&](MessageOperations::DeleteResult r) { deletions.push_back(r); };
  std::vector<MessageOperations::DisplayResult> displays;
  ops.OnDeferredDisplay = [&](MessageOperations::DisplayResult r) { displays.push_back(r); };

  RemoveElsewhere(1);  // the check renumbers "second" to 1 before the display asks for it
  size_t quitOfCheck = 0;
  Check(0, [&] {
    EXPECT_EQ(ops.DeleteSelectedMessages({IdOf("third")}, history, true), MessageOperations::DeleteResult::Deferred);
    EXPECT_TRUE(BusyLock::IsSet());  // no other check starts meanwhile
    EXPECT_EQ(ops.DisplayMessage({IdOf("second")}, MessageOperations::DisplayMode::Header, false, viewer),
              MessageOperations::DisplayResult::Deferred);
    // One deletion at a time, whatever its mailbox.
    EXPECT_EQ(ops.DeleteSelectedMessages({IdOf("b-first")}, history, true), MessageOperations::DeleteResult::Busy);
  });
  quitOfCheck = traces[0].size();
  EXPECT_TRUE(deletions.empty());  // nothing ran inside the check
  EXPECT_TRUE(displays.empty());

  ASSERT_TRUE(QTest::qWaitFor([&] { return !deletions.empty() && !displays.empty(); }, 10000));
  EXPECT_EQ(deletions, (std::vector<MessageOperations::DeleteResult>{MessageOperations::DeleteResult::Done}));
  EXPECT_EQ(displays, (std::vector<MessageOperations::DisplayResult>{MessageOperations::DisplayResult::Shown}));
  EXPECT_FALSE(ops.HasDeferredCommand());
  EXPECT_FALSE(BusyLock::IsSet());
  EXPECT_TRUE(window.warnings.empty());
  const std::vector<std::string> after(traces[0].begin() + static_cast<long>(quitOfCheck), traces[0].end());
  EXPECT_EQ(Lines(after, "> DELE"), (std::vector<std::string>{"> DELE 2"}));  // "third", renumbered by the check
  EXPECT_EQ(Lines(after, "> TOP"), (std::vector<std::string>{"> TOP 1 0"}));
  EXPECT_EQ(viewer.subject, "second");
  EXPECT_EQ(server.MessageCount("alice"), 1u);
  EXPECT_EQ(server.MessageCount("bob"), 2u);
}

TEST_F(MessageOperationsDovecotTest, DeferredDeletionIsDroppedWhenTheCheckNeverEnds) {
  ops.CheckWaitLimitMs = 100;
  ops.CheckRunning = [] { return true; };
  std::vector<MessageOperations::DeleteResult> deletions;
  ops.OnDeferredDeletion = [&](MessageOperations::DeleteResult r) { deletions.push_back(r); };
  EXPECT_EQ(ops.DeleteSelectedMessages({IdOf("first")}, history, true), MessageOperations::DeleteResult::Deferred);
  EXPECT_TRUE(window.busy);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !deletions.empty(); }, 5000));
  EXPECT_EQ(deletions.front(), MessageOperations::DeleteResult::Busy);
  EXPECT_FALSE(BusyLock::IsSet());
  EXPECT_FALSE(window.busy);
  for (const auto& t : traces) EXPECT_TRUE(t.empty());
  EXPECT_EQ(list.Count(), 5);
}

}  // namespace
}  // namespace mobrelle::test
