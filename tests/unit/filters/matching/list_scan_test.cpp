#include "filters/matching/list_scan.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

FilterEntry Reject(const std::string& text, const std::string& avant, const std::string& field = "A") {
  return {text, field, avant, "N ", "", false};
}
FilterEntry Accept(const std::string& text, const std::string& field = "A") {
  return {text, field, " ", " ", "", true};
}

const MatchSettings kSettings = MakeMatchSettings("", "");

TEST(SenderScan, HighestRankDecidesAndTheFirstWinsATie) {
  FilterList list{{Reject("\xB6" "spam", "d"), Reject("\xB6" "pam", "R"), Reject("\xB6" "am", "d")}};
  auto r = ScanSenderList(list, "spam@x.org", kSettings);
  EXPECT_EQ(r.DecidingEntry, 1);
  EXPECT_EQ(r.Code, 'r');
  EXPECT_EQ(r.RejectingMatches, (std::vector<std::size_t>{0, 1, 2}));

  FilterList ties{{Reject("\xB6" "spam", "d"), Reject("\xB6" "am", "d")}};
  r = ScanSenderList(ties, "spam@x.org", kSettings);
  EXPECT_EQ(r.DecidingEntry, 0);
  EXPECT_EQ(r.Code, 'd');
}

TEST(SenderScan, FilterTextIsLowerCasedAndAnAcceptingEntryEndsTheScan) {
  FilterList list{{Reject("SPAM@*", "R"), Accept("\xB6" "friend"), Reject("\xB6" "x", "R")}};
  auto r = ScanSenderList(list, "spam@friend.x", kSettings);
  EXPECT_TRUE(r.Accepted);
  EXPECT_EQ(r.AcceptingEntry, 1);
  EXPECT_EQ(r.RejectingMatches, (std::vector<std::size_t>{0}));
  r = ScanSenderList(list, "nobody@else.org", kSettings);
  EXPECT_FALSE(r.Accepted);
  EXPECT_EQ(r.DecidingEntry, -1);
  EXPECT_EQ(r.Code, ' ');
}

TEST(SubjectScan, WhiteListAfterAMatchingRejectStillAccepts) {
  FilterList list{{Reject("\xB6" "offre", "R"), Accept("\xB6" "facture")}};
  EXPECT_TRUE(ScanSubjectList(list, "offre et facture", kSettings).Accepted);
}

TEST(SubjectScan, MultipleWordsAndInitialCode) {
  FilterList list{{Reject("\xA7" "cheap pills", "g")}};
  auto r = ScanSubjectList(list, "buy pills cheap", kSettings);
  EXPECT_EQ(r.DecidingEntry, 0);
  // A 'g' already reached by another rule is not outranked by a 'g' entry.
  r = ScanSubjectList(list, "buy pills cheap", kSettings, 'g');
  EXPECT_EQ(r.DecidingEntry, -1);
  EXPECT_EQ(r.RejectingMatches.size(), 1u);
  // Nothing is scanned once the subject is rejected at once.
  r = ScanSubjectList(FilterList{{Accept("\xB6")}}, "x", kSettings, 'r');
  EXPECT_FALSE(r.Accepted);
}

TEST(RecipientScan, SelectorsAndCaseOfTheWordTest) {
  FilterList ccOnly{{Reject("\xB6" "boss", "d", "C")}};
  auto r = ScanRecipientList(ccOnly, "boss@x.org", "", kSettings);
  EXPECT_EQ(r.DecidingEntry, -1);  // 'C' never tests the To text
  r = ScanRecipientList(ccOnly, "", "boss@x.org", kSettings);
  EXPECT_TRUE(r.CcCaught);
  EXPECT_FALSE(r.ToCaught);
  EXPECT_TRUE(r.DecidingCc);

  FilterList words{{Reject("\xA7" "john smith", "d", "L")}};
  r = ScanRecipientList(words, "John Smith <js@x.org>", "", kSettings);
  EXPECT_EQ(r.DecidingEntry, -1);  // the word test is case-sensitive on recipients
  r = ScanRecipientList(words, "", "john smith", kSettings);
  EXPECT_TRUE(r.CcCaught);
  EXPECT_FALSE(r.ToCaught);

  FilterList partial{{Reject("\xB6" "JOHN", "d", "A")}};
  EXPECT_TRUE(ScanRecipientList(partial, "John Smith", "", kSettings).ToCaught);
}

TEST(RecipientScan, AWordFilterWithoutWordsCatchesNothing) {
  FilterList list{{Reject("\xA7" "x", "R", "L"), Reject("\xA7", "R", "L")}};
  auto r = ScanRecipientList(list, "someone@x.org", "", kSettings);
  EXPECT_EQ(r.DecidingEntry, -1);
  EXPECT_FALSE(r.ToCaught);
}

}  // namespace
}  // namespace mobrelle
