#include "filters/verdicts/history_record.h"

#include <gtest/gtest.h>

#include "filters/lists/list_files.h"

namespace mobrelle {
namespace {

TEST(CleanHistoryText, CommasAndBreaksGoAndSpacesShrink) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"a,b", "ab"},
      {"a , b", "a b"},
      {"a    b", "a b"},
      {"line\r\n  next", "line next"},
      {",,,", ""},
      {"  lead", " lead"},
  };
  for (const auto& [in, want] : cases) EXPECT_EQ(CleanHistoryText(in), want) << in;
}

MessageInputs Msg(const std::string& sender, const std::string& to, const std::string& cc = "") {
  MessageInputs m;
  m.Sender = sender;
  m.To = to;
  m.Cc = cc;
  return m;
}

TEST(HistoryEntry, FieldsAndMarkers) {
  const MailboxRule box{"Maison", "", "g", 0};
  Judgement j;
  j.Subject = "achetez, vite";
  j.SenderEntry = 0;
  j.SenderNote = FilterNote("spam@*");
  j.SubjectEntry = 1;
  j.SubjectNote = FilterNote("\xB6" "vite");
  j.Caught = kCaughtCc;
  j.CcNote = FilterNote("\xB6" "liste");
  j.ExclusiveResult = 1;
  HistoryEntry e = MakeHistoryEntry("11/12/2026 09:30:05", Msg("Spam <spam@x.org>", "jean@d.fr", "liste@d.fr"), box, j);
  EXPECT_EQ(e.DateTime, "11/12/2026 09:30:05");
  EXPECT_EQ(e.Sender, "spam@x.org\xA0(spam@*)\xA0\xA0");
  EXPECT_EQ(e.Subject, "achetez vite\xA0(\xB6vite)\xA0\xA0");
  EXPECT_EQ(e.Recipients, "->\xA0jean@d.fr");
  EXPECT_EQ(e.CopyRecipients, "->\xA0liste@d.fr\xA0(\xB6liste)\xA0\xA0");
  EXPECT_EQ(e.Mailbox, "Maison");

  // A sender found nonexistent wins the marker; none of mine found; nothing in copy.
  Judgement k;
  k.Subject = "<Vide>\xA0";
  k.SenderEntry = 0;
  k.SenderCheckResult = -2;
  k.ExclusiveResult = 2;
  k.Caught = kCaughtTo | kCaughtExclusive;
  e = MakeHistoryEntry("d", Msg("a@b.c", "x@y.z"), box, k);
  EXPECT_EQ(e.Sender, "a@b.c\xB7");
  EXPECT_EQ(e.Subject, "<Vide>\xA0");
  EXPECT_EQ(e.Recipients, "=>\xA0x@y.z\xA0");
  EXPECT_EQ(e.CopyRecipients, "");

  // No recipient at all.
  e = MakeHistoryEntry("d", Msg("a@b.c", ""), box, Judgement{});
  EXPECT_EQ(e.Sender, "a@b.c");
  EXPECT_EQ(e.Recipients, "<Destinataire vide>");
}

// The three texts share what the sender field and the notes leave of the budget, in proportion.
TEST(HistoryEntry, LongTextsShareTheBudget) {
  const MailboxRule box{"B", "", "g", 0};
  struct Case {
    std::size_t sender, subject, to, cc, note;
  };
  const Case cases[] = {
      {20, 2000, 0, 0, 0}, {20, 600, 600, 600, 0}, {50, 10, 3000, 10, 30}, {980, 100, 100, 100, 0},
      {1500, 100, 100, 100, 0},  // the sender alone fills the budget: the texts are empty
      {30, 100, 100, 100, 1200},  // notes longer than the budget
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sender << " " << c.subject << " " << c.to << " " << c.cc << " " << c.note);
    Judgement j;
    j.Subject = std::string(c.subject, 's');
    j.SenderEntry = 0;
    j.SenderNote = FilterNote(std::string(c.note, 'n'));
    const std::string sender = std::string(c.sender - 6, 'a') + "@b.org";
    HistoryEntry e = MakeHistoryEntry("11/12/2026 09:30:05", Msg(sender, std::string(c.to, 't') + "@x",
                                                                 std::string(c.cc, 'c')),
                                      box, j);
    const std::size_t texts = e.Subject.size() + e.Recipients.size() + e.CopyRecipients.size();
    if (c.sender + c.note < 993) {
      EXPECT_LE(texts, 993 - e.Sender.size() + 3);
    }
    // The line is read back whole, as one entry.
    const std::string line = HistoryEntryLine(e);
    EXPECT_LE(line.size(), kLongestHistoryLine);
    HistoryList read;
    ParseHistoryFile(line + "\r\n" + "11/12/2026 09:30:06,n,s,t,c,B\r\n", read);
    ASSERT_EQ(read.Entries.size(), 2u);
    EXPECT_EQ(read.Entries[0].Mailbox, e.Mailbox);
  }
}

TEST(HistoryEntry, ShortTextsAreNotCut) {
  Judgement j;
  j.Subject = std::string(300, 's');
  const HistoryEntry e = MakeHistoryEntry("d", Msg("a@b.c", std::string(300, 't'), std::string(300, 'c')),
                                          MailboxRule{"B", "", "g", 0}, j);
  EXPECT_EQ(e.Subject.size(), 300u);
  EXPECT_EQ(e.Recipients.size(), 300u);
  EXPECT_EQ(e.CopyRecipients.size(), 300u);
}

}  // namespace
}  // namespace mobrelle
