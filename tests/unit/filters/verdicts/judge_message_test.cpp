#include "filters/verdicts/judge_message.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "filters/verdicts/exclusive_recipients.h"
#include "tests/unit/filters/verdicts/recording_ports.h"

namespace mobrelle {
namespace {

FilterEntry Reject(const std::string& text, const std::string& avant, const std::string& field = "A") {
  return {text, field, avant, "N ", "", false};
}
FilterEntry Accept(const std::string& text, const std::string& field = "A") {
  return {text, field, " ", " ", "", true};
}

MessageInputs Msg(const std::string& sender, const std::string& subject, const std::string& to,
                  const std::string& cc = "") {
  MessageInputs m;
  m.Sender = sender;
  m.Subject = subject;
  m.To = to;
  m.Cc = cc;
  return m;
}

const MatchSettings kMatch = MakeMatchSettings("", "");
const MailboxRule kPlain{"Maison", "", "g", 0};

struct Case {
  const char* name;
  MessageInputs msg;
  MailboxRule box = kPlain;
  VerdictSettings settings = {};
  char verdict;
  bool accepted = false;
};

// Lists with something to catch in each: senders, subjects, recipients.
FilterLists Lists() {
  FilterLists l;
  l.ListeAdr.Entries = {Reject("\xB6" "promo", "g"), Reject("\xB6" "arnaque", "d"), Reject("\xB6" "virus", "R"),
                        Accept("ami@*")};
  l.ListeSuj.Entries = {Reject("\xB6" "casino", "d"), Accept("\xB6" "facture"), Reject("\xA7" "gagnez euros", "R")};
  l.ListeDest.Entries = {Reject("\xB6" "liste-spam", "d", "L"), Reject("undisclosed*", "g", "A")};
  return l;
}

VerdictSettings With(void (*change)(VerdictSettings&)) {
  VerdictSettings s;
  change(s);
  return s;
}

TEST(JudgeMessage, VerdictTable) {
  const MailboxRule exclusive1{"Pro", "d.fr,jean", "d", kExclOtherAddress};
  const MailboxRule exclusive4{"Pro", "d.fr,jean", "R", kExclNoneOfMine};
  const Case cases[] = {
      {"nothing caught", Msg("a@b.org", "bonjour", "jean@d.fr"), kPlain, {}, ' '},
      {"rejecting sender 'g' and accepting subject: accepted", Msg("promo@b.org", "votre facture", "jean@d.fr"),
       kPlain, {}, 'g', true},
      {"accepted sender", Msg("ami@b.org", "casino", "jean@d.fr"), kPlain, {}, 'd', true},
      {"sender 'd' and subject 'd' without the option", Msg("arnaque@b.org", "casino", "jean@d.fr"), kPlain, {}, 'd'},
      {"sender 'd' and subject 'd' with the option",
       Msg("arnaque@b.org", "casino", "jean@d.fr"), kPlain, With([](VerdictSettings& s) { s.ExpEtSujetDetruire = true; }),
       'r'},
      {"sender 'g', subject 'd'", Msg("promo@b.org", "casino royal", "jean@d.fr"), kPlain, {}, 'd'},
      {"reject at once wins", Msg("virus@b.org", "casino", "jean@d.fr"), kPlain, {}, 'r'},
      {"several words", Msg("a@b.org", "gagnez des euros", "jean@d.fr"), kPlain, {}, 'r'},
      {"empty subject, choice 0", Msg("a@b.org", "", "jean@d.fr"), kPlain,
       With([](VerdictSettings& s) { s.SujetVide = 0; }), 'r'},
      {"empty subject, kept always", Msg("a@b.org", "", "jean@d.fr"), kPlain, {}, ' '},
      {"no recipient, choice 2", Msg("a@b.org", "x", ""), kPlain, With([](VerdictSettings& s) { s.DestAVide = 2; }),
       'g'},
      {"group name without '@', choice 1", Msg("a@b.org", "x", "Amis"), kPlain,
       With([](VerdictSettings& s) { s.DestPasArobase = 1; }), 'd'},
      {"copy without '@' raises an empty-recipient 'g'", Msg("a@b.org", "x", "", "Amis"), kPlain,
       With([](VerdictSettings& s) { s.DestPasArobase = 1, s.DestAVide = 2; }), 'd'},
      {"lower rank does not replace", Msg("a@b.org", "x", "Amis"), kPlain,
       With([](VerdictSettings& s) { s.DestPasArobase = 2; }), 'g'},
      {"recipient in copy", Msg("a@b.org", "x", "jean@d.fr", "liste-spam@d.fr"), kPlain, {}, 'd'},
      {"exclusive rule 1 fails: the mailbox's letter", Msg("a@b.org", "x", "jean@d.fr, paul@d.fr"), exclusive1, {},
       'd'},
      {"exclusive rule 1 passes", Msg("a@b.org", "x", "jean@d.fr"), exclusive1, {}, ' '},
      {"exclusive rule 1, only other domains", Msg("a@b.org", "x", "x@y.org"), exclusive1, {}, ' '},
      {"exclusive rule 2, upper case letter", Msg("a@b.org", "x", "x@y.org"), exclusive4, {}, 'r'},
      {"exclusive rule is not applied to an accepted message", Msg("ami@b.org", "x", "x@y.org"), exclusive4, {}, ' ',
       true},
      {"unreadable TypeRejet asks and keeps", Msg("a@b.org", "x", "x@y.org"), {"Pro", "d.fr,jean", "?", 4}, {}, 'g'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FilterLists lists = Lists();
    const Judgement j = JudgeMessage(c.msg, c.box, lists, kMatch, c.settings, nullptr, {});
    EXPECT_EQ(j.Verdict, c.verdict);
    EXPECT_EQ(j.Accepted, c.accepted);
  }
}

TEST(JudgeMessage, NotesCodesAndAlertPainting) {
  FilterLists lists = Lists();
  test::RecordingAlert alert;
  alert.frame = "Interception ...";
  Judgement j = JudgeMessage(Msg("promo@b.org", "casino", "jean@d.fr", "liste-spam@d.fr"), kPlain, lists, kMatch, {},
                             &alert, {});
  EXPECT_EQ(j.SenderCode, 'g');
  EXPECT_EQ(j.SubjectCode, 'd');
  EXPECT_EQ(j.RecipientCode, 'd');
  EXPECT_EQ(j.SenderNote, "\xA0(\xB6promo)\xA0");
  EXPECT_EQ(j.SubjectNote, "\xA0(\xB6" "casino)\xA0");
  EXPECT_EQ(j.ToNote, "");
  EXPECT_EQ(j.CcNote, "\xA0(\xB6liste-spam)\xA0");
  EXPECT_EQ(j.Caught, kCaughtCc);
  EXPECT_EQ(alert.frame, kFrameRecipient);  // the last rule that caught it
  EXPECT_EQ(alert.red, (std::vector<AlertField>{AlertField::Sender, AlertField::Subject, AlertField::Cc}));
  EXPECT_TRUE(lists.ListeAdr.Modified && lists.ListeSuj.Modified && lists.ListeDest.Modified);

  // Caught by the empty-recipient rule only: the frame keeps the previous text, the lists stay.
  lists = Lists();
  j = JudgeMessage(Msg("a@b.org", "x", ""), kPlain, lists, kMatch, With([](VerdictSettings& s) { s.DestAVide = 1; }),
                   &alert, {});
  EXPECT_TRUE(alert.RecipientsShowEmpty());
  EXPECT_TRUE(alert.red.empty());
  EXPECT_EQ(alert.frame, kFrameRecipient);
  EXPECT_FALSE(lists.ListeAdr.Modified || lists.ListeSuj.Modified || lists.ListeDest.Modified);

  // The empty subject is judged as "<Vide>", followed by 0xA0 when the rule acts.
  j = JudgeMessage(Msg("a@b.org", "", "jean@d.fr"), kPlain, lists, kMatch,
                   With([](VerdictSettings& s) { s.SujetVide = 1; }), &alert, {});
  EXPECT_EQ(j.Subject, "<Vide>\xA0");
  EXPECT_EQ(alert.red, (std::vector<AlertField>{AlertField::Subject}));
  j = JudgeMessage(Msg("a@b.org", "", "jean@d.fr"), kPlain, lists, kMatch, {}, &alert, {});
  EXPECT_EQ(j.Subject, "<Vide>");

  // An accepting recipient entry names the field it matched.
  lists = Lists();
  lists.ListeDest.Entries.insert(lists.ListeDest.Entries.begin(), Accept("\xB6" "club", "C"));
  j = JudgeMessage(Msg("a@b.org", "x", "jean@d.fr", "club@d.fr"), kPlain, lists, kMatch, {}, &alert, {});
  EXPECT_TRUE(j.Accepted);
  EXPECT_EQ(j.CcNote, "\xA0(\xB6" "club)\xA0");
  EXPECT_EQ(j.ToNote, "");

  // The exclusive rule paints both recipient fields and joins the caught set.
  j = JudgeMessage(Msg("a@b.org", "x", "paul@d.fr"), {"Pro", "d.fr,jean", "d", 1}, lists, kMatch, {}, &alert, {});
  EXPECT_EQ(j.ExclusiveResult, 1);
  EXPECT_EQ(j.Caught, kCaughtExclusive);
  EXPECT_EQ(alert.red, (std::vector<AlertField>{AlertField::To, AlertField::Cc}));
}

TEST(JudgeMessage, NonexistentSenderCheck) {
  struct Case {
    const char* name;
    MessageInputs msg;
    int result;
    int conditions, before;
    bool checked;
    char verdict;
  };
  const Case cases[] = {
      {"unknown address, reject at once", Msg("x@nowhere.test", "x", "jean@d.fr"), -1, 0, 0, true, 'r'},
      {"no exchanger but only unknown addresses reject", Msg("x@nowhere.test", "x", "jean@d.fr"), -2, 0, 0, true, ' '},
      {"no exchanger, ask then keep", Msg("x@nowhere.test", "x", "jean@d.fr"), -2, 1, 2, true, 'g'},
      {"not verified never rejects", Msg("x@nowhere.test", "x", "jean@d.fr"), 0, 2, 0, true, ' '},
      {"a lower letter does not replace", Msg("arnaque@b.org", "x", "jean@d.fr"), -1, 2, 2, true, 'd'},
      {"already rejected at once: not checked", Msg("virus@b.org", "x", "jean@d.fr"), -1, 2, 0, false, 'r'},
      {"accepted: not checked", Msg("ami@b.org", "x", "jean@d.fr"), -1, 2, 0, false, ' '},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FilterLists lists = Lists();
    VerdictSettings s;
    s.RejetInex = true;
    s.ConditionsRejetInex = c.conditions;
    s.AvantRejetInex = c.before;
    int calls = 0;
    const Judgement j = JudgeMessage(c.msg, kPlain, lists, kMatch, s, nullptr, [&](const std::string& sender) {
      ++calls;
      EXPECT_EQ(sender, c.msg.Sender);
      return c.result;
    });
    EXPECT_EQ(calls, c.checked ? 1 : 0);
    EXPECT_EQ(j.SenderCheckResult, c.checked ? c.result : 0);
    EXPECT_EQ(j.Verdict, c.verdict);
  }
  // The check is off.
  FilterLists lists = Lists();
  int calls = 0;
  JudgeMessage(Msg("x@nowhere.test", "x", "jean@d.fr"), kPlain, lists, kMatch, {}, nullptr,
               [&](const std::string&) { return ++calls, -1; });
  EXPECT_EQ(calls, 0);
}

TEST(JudgeMessage, LetterTables) {
  EXPECT_EQ(std::string({ChoiceLetter(0), ChoiceLetter(1), ChoiceLetter(2), ChoiceLetter(3), ChoiceLetter(4),
                         ChoiceLetter(-1)}),
            "rdg   ");
  for (const auto& [text, letter] : std::vector<std::pair<std::string, char>>{
           {"R", 'r'}, {"d", 'd'}, {"G", 'g'}, {"", 'g'}, {"x", 'g'}, {"rien", 'r'}, {" ", 'g'}})
    EXPECT_EQ(TypeRejetLetter(text), letter) << text;
}

}  // namespace
}  // namespace mobrelle
