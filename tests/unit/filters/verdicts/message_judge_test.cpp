#include "filters/verdicts/message_judge.h"

#include <gtest/gtest.h>

#include "tests/unit/filters/verdicts/recording_ports.h"

namespace mobrelle {
namespace {

using Choice = AlertResult::Choice;

FilterEntry Reject(const std::string& text, const std::string& avant, const std::string& pendant = "N ",
                   const std::string& count = "") {
  return {text, "A", avant, pendant, count, false};
}

MessageInputs Msg(const std::string& sender, const std::string& subject, const std::string& uidl) {
  MessageInputs m;
  m.Sender = sender;
  m.Subject = subject;
  m.To = "jean@d.fr";
  m.Size = 2048;
  m.Date = "11/12/2026 08:00";
  m.Uidl = uidl;
  return m;
}

class MessageJudgeTest : public testing::Test {
 protected:
  void SetUp() override {
    BusyLock::ResetForTests();
    lists.ListeAdr.Entries = {Reject("\xB6" "virus", "R", "sa", "41"), Reject("\xB6" "promo", "g", "va", "x"),
                              Reject("\xB6" "arnaque", "d", "N ")};
    lists.ListeSuj.Entries = {Reject("\xB6" "casino", "d", "pc"), {"\xB6" "facture", "", " ", " ", "", true}};
    lists.ListeDest.Entries = {{"\xB6" "liste", "L", "g", "sx", "", false}};
  }

  MessageOutcome Run(const MessageInputs& m, const MailboxRule& box = {"Maison", "", "g", 0}) {
    MessageActions actions;
    actions.Delete = [this] {
      ++deletes;
      return deleteWorks;
    };
    actions.Reply = [this](const std::string& code) { replies.push_back(code); };
    return judge.JudgeAndAct(m, box, actions);
  }

  FilterLists lists;
  MatchSettings match = MakeMatchSettings("", "");
  VerdictSettings settings;
  test::RecordingAlert alert;
  test::RecordingAnnouncer announcer;
  test::FixedClock clock;
  int historyShown = 0;
  MessageJudge judge{lists, match, settings, {&alert, &announcer, &clock, {}, [this] { ++historyShown; }}};
  int deletes = 0;
  bool deleteWorks = true;
  std::vector<std::string> replies;
};

TEST_F(MessageJudgeTest, RejectedAtOnce) {
  const MessageOutcome o = Run(Msg("virus@b.org", "bonjour", "u1"));
  EXPECT_TRUE(o.Rejected);
  EXPECT_TRUE(o.Deleted);
  EXPECT_EQ(deletes, 1);
  EXPECT_TRUE(alert.shownVerdicts.empty());
  EXPECT_EQ(announcer.calls, (std::vector<std::string>{"sound", "balloon virus@b.org / bonjour"}));
  ASSERT_EQ(lists.ListeHist.Entries.size(), 1u);
  const HistoryEntry& h = lists.ListeHist.Entries[0];
  EXPECT_EQ(h.DateTime, "11/12/2026 09:30:05");
  EXPECT_EQ(h.Sender, "virus@b.org\xA0(\xB6virus)\xA0\xA0");
  EXPECT_EQ(h.Mailbox, "Maison");
  EXPECT_TRUE(lists.ListeHist.Modified);
  EXPECT_GE(historyShown, 1);
  EXPECT_EQ(lists.ListeAdr.Entries[0].Effectues, "42");
  EXPECT_EQ(replies, (std::vector<std::string>{"sa"}));

  // Without the balloon setting.
  settings.AlerteVisuelleRejet = false;
  announcer.calls.clear();
  Run(Msg("virus@b.org", "encore", "u2"));
  EXPECT_EQ(announcer.calls, (std::vector<std::string>{"sound"}));
}

// How the alert ends decides, and only a rejection nobody pressed for shows the balloon.
TEST_F(MessageJudgeTest, AlertOutcomes) {
  struct Case {
    const char* name;
    const char* sender;
    AlertResult answer;
    bool rejected, balloon;
  };
  const Case cases[] = {
      {"'d' runs out", "arnaque@b.org", {Choice::Closed, -1}, true, true},
      {"'d' rejected by hand", "arnaque@b.org", {Choice::Reject, 0}, true, false},
      {"'d' kept", "arnaque@b.org", {Choice::Keep, 12}, false, false},
      {"'d' closed", "arnaque@b.org", {Choice::Closed, 12}, false, false},
      {"'g' runs out", "promo@b.org", {Choice::Closed, -1}, false, false},
      {"'g' rejected by hand", "promo@b.org", {Choice::Reject, 0}, true, false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    alert.answer = c.answer;
    announcer.calls.clear();
    deletes = 0;
    const std::size_t before = lists.ListeHist.Entries.size();
    const MessageOutcome o = Run(Msg(c.sender, "bonjour", "u" + std::to_string(++n)));
    EXPECT_EQ(o.Rejected, c.rejected);
    EXPECT_EQ(o.Deleted, c.rejected);
    EXPECT_EQ(deletes, c.rejected ? 1 : 0);
    EXPECT_EQ(lists.ListeHist.Entries.size(), before + (c.rejected ? 1 : 0));
    EXPECT_EQ(o.Icon, c.rejected ? RowIcon::None : RowIcon::CaughtKept);
    EXPECT_EQ(announcer.calls.size(), c.balloon ? 2u : 1u);
    EXPECT_TRUE(alert.busyWhileShown);
    EXPECT_FALSE(BusyLock::IsSet());
  }
  EXPECT_EQ(alert.lastCountdown, 30);
  EXPECT_EQ(alert.texts.Mailbox, "Maison");
  EXPECT_EQ(alert.texts.Sender, "promo@b.org\xA0(\xB6promo)\xA0");
  EXPECT_EQ(alert.texts.Filter, "\xB6promo");
  EXPECT_EQ(alert.texts.Size, 2048u);
  EXPECT_EQ(alert.texts.Date, "11/12/2026 08:00");
  // "x" was not a number: counting starts again at 1.
  EXPECT_EQ(lists.ListeAdr.Entries[1].Effectues, "1");
  EXPECT_EQ(lists.ListeAdr.Entries[2].Effectues, "2");
}

TEST_F(MessageJudgeTest, AlertShowsTheRecipientFilterFirst) {
  alert.answer = {Choice::Keep, 10};
  MessageInputs m = Msg("promo@b.org", "casino", "u1");
  m.Cc = "liste@d.fr";
  Run(m);
  EXPECT_EQ(alert.shownVerdicts, (std::vector<char>{'d'}));
  EXPECT_EQ(alert.texts.Filter, "\xB6liste");
  EXPECT_EQ(alert.texts.Cc, "liste@d.fr\xA0(\xB6liste)\xA0");
  Run(Msg("promo@b.org", "casino", "u2"));
  EXPECT_EQ(alert.texts.Filter, "\xB6" "casino");
}

// The reply follows the recipient filter, then the subject filter, then the sender filter.
TEST_F(MessageJudgeTest, CountsAndReplyCode) {
  alert.answer = {Choice::Reject, 0};
  MessageInputs m = Msg("promo@b.org", "casino", "u1");
  m.Cc = "liste@d.fr";
  Run(m);
  EXPECT_EQ(replies, (std::vector<std::string>{"sx"}));
  EXPECT_EQ(lists.ListeAdr.Entries[1].Effectues, "1");
  EXPECT_EQ(lists.ListeSuj.Entries[0].Effectues, "1");
  EXPECT_EQ(lists.ListeDest.Entries[0].Effectues, "1");
  Run(Msg("promo@b.org", "casino", "u2"));
  EXPECT_EQ(replies.back(), "pc");
  // 'N' means no reply, and a rule without a filter gives no code at all.
  replies.clear();
  Run(Msg("arnaque@b.org", "x", "u3"));
  settings.SujetVide = 0;
  Run(Msg("a@b.org", "", "u4"));
  EXPECT_TRUE(replies.empty());
  EXPECT_EQ(lists.ListeHist.Entries[0].Subject, "<Vide>\xA0");
}

TEST_F(MessageJudgeTest, RefusedDeleteKeepsTheRecordAndIsNotRecordedTwice) {
  deleteWorks = false;
  MessageOutcome o = Run(Msg("virus@b.org", "x", "u1"));
  EXPECT_TRUE(o.Rejected);
  EXPECT_FALSE(o.Deleted);
  EXPECT_EQ(lists.ListeHist.Entries.size(), 1u);
  EXPECT_EQ(lists.ListeAdr.Entries[0].Effectues, "42");

  // The next check meets it again: deleted, without a second record, count, reply or balloon.
  deleteWorks = true;
  announcer.calls.clear();
  o = Run(Msg("virus@b.org", "x", "u1"));
  EXPECT_TRUE(o.Deleted);
  EXPECT_EQ(deletes, 2);
  EXPECT_EQ(lists.ListeHist.Entries.size(), 1u);
  EXPECT_EQ(lists.ListeAdr.Entries[0].Effectues, "42");
  EXPECT_EQ(replies.size(), 1u);
  EXPECT_TRUE(announcer.calls.empty());

  // The same id in another mailbox is another message.
  o = Run(Msg("virus@b.org", "x", "u1"), {"Bureau", "", "g", 0});
  EXPECT_EQ(lists.ListeHist.Entries.size(), 2u);

  // A user who accepts the sender meanwhile gets the message listed.
  lists.ListeAdr.Entries.insert(lists.ListeAdr.Entries.begin(), {"virus@b.org", "", " ", " ", "", true});
  o = Run(Msg("virus@b.org", "x", "u1"));
  EXPECT_FALSE(o.Rejected);
  EXPECT_EQ(deletes, 3);
}

TEST_F(MessageJudgeTest, KeptMessages) {
  // Accepted: the white-list icon when asked for, the friend's sound always.
  MessageOutcome o = Run(Msg("promo@b.org", "votre facture", "u1"));
  EXPECT_FALSE(o.Rejected);
  EXPECT_EQ(o.Icon, RowIcon::None);
  EXPECT_EQ(announcer.calls, (std::vector<std::string>{"friend"}));
  EXPECT_EQ(o.Verdict.SubjectNote, "\xA0(\xB6" "facture)\xA0");
  settings.IconeListeBlanche = true;
  EXPECT_EQ(Run(Msg("promo@b.org", "votre facture", "u2")).Icon, RowIcon::WhiteList);

  // Filters switched off: caught but nothing done.
  settings.FiltresActifs = false;
  announcer.calls.clear();
  o = Run(Msg("virus@b.org", "x", "u3"));
  EXPECT_FALSE(o.Rejected);
  EXPECT_EQ(o.Icon, RowIcon::CaughtKept);
  EXPECT_EQ(deletes, 0);
  EXPECT_TRUE(announcer.calls.empty());
  EXPECT_TRUE(lists.ListeHist.Entries.empty());

  // Nothing caught.
  settings.FiltresActifs = true;
  o = Run(Msg("a@b.org", "bonjour", "u4"));
  EXPECT_EQ(o.Icon, RowIcon::None);
  EXPECT_TRUE(announcer.calls.empty());
}

TEST(MessageJudgeCount, NextCount) {
  for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
           {"", "1"}, {"0", "1"}, {"41", "42"}, {"x", "1"}, {"12x", "1"}, {"-3", "1"}, {" 5", "1"},
           {"9223372036854775807", "1"}, {"99999999999999999999", "1"}})
    EXPECT_EQ(MessageJudge::NextCount(in), out) << in;
}

}  // namespace
}  // namespace mobrelle
