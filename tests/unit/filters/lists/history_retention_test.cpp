#include "filters/lists/history_retention.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

class FixedClock : public HistoryClock {
 public:
  LocalDateTime Now() const override { return {2026, 12, 10, 12, 0, 0}; }
};

HistoryEntry At(const std::string& when, const std::string& sender = "s") {
  return {when, sender, "", "", "", "B"};
}

TEST(HistoryDates, FixedFormFirstWithTolerantVariants) {
  const auto t = ParseHistoryDateTime("10/12/2026 09:05:07");
  ASSERT_TRUE(t);
  EXPECT_EQ(FormatHistoryDateTime(*t), "10/12/2026 09:05:07");
  EXPECT_TRUE(ParseHistoryDateTime("1.2.2026 9:05"));
  EXPECT_FALSE(ParseHistoryDateTime("31/02/2026 10:00:00"));
  EXPECT_FALSE(ParseHistoryDateTime("2026-12-10 10:00:00"));
  // A two-digit year is this century, never year 26.
  EXPECT_EQ(ParseHistoryDateTime("10/12/26 10:00:00")->Year, 2026);
  const auto viaLocale = ParseHistoryDateTime("2026-12-10 10:00:00", [](std::string_view) {
    return std::optional<LocalDateTime>(LocalDateTime{26, 12, 10, 10, 0, 0});
  });
  ASSERT_TRUE(viaLocale);
  EXPECT_EQ(viaLocale->Year, 2026);
}

TEST(HistoryRetention, CountRuleRemovesTheOldest) {
  HistoryList h;
  for (int d = 1; d <= 11; ++d) h.Entries.push_back(At((d < 10 ? "0" : "") + std::to_string(d) + "/11/2026 10:00:00"));
  ApplyHistoryRetention(h, {true, 10, false, 15}, FixedClock());
  ASSERT_EQ(h.Entries.size(), 10u);
  EXPECT_EQ(h.Entries.front().DateTime, "11/11/2026 10:00:00");
  EXPECT_EQ(h.Entries.back().DateTime, "02/11/2026 10:00:00");
  EXPECT_TRUE(h.Modified);
}

TEST(HistoryRetention, DaysRuleRemovesEntriesOlderThanTheNumberMinusOneAndKeepsUnreadableOnes) {
  HistoryList h;
  h.Entries = {At("01/12/2026 00:00:00", "9.5 days"), At("01/12/2026 14:24:00", "8.9 days"),
               At("hand-written", "unreadable"), At("10/12/2026 11:00:00", "today")};
  ApplyHistoryRetention(h, {false, 500, true, 10}, FixedClock());
  ASSERT_EQ(h.Entries.size(), 3u);
  EXPECT_EQ(h.Entries[0].Sender, "today");
  EXPECT_EQ(h.Entries[1].Sender, "8.9 days");
  EXPECT_EQ(h.Entries[2].Sender, "unreadable");
  EXPECT_TRUE(h.Modified);

  HistoryList fresh;
  fresh.Entries = {At("10/12/2026 11:00:00")};
  ApplyHistoryRetention(fresh, {true, 500, true, 15}, FixedClock());
  EXPECT_FALSE(fresh.Modified);
}

TEST(HistoryRetention, WindowRaisesNumbersBelowTen) {
  HistoryRetention r{true, 3, true, 0};
  RaiseRetentionMinimums(r);
  EXPECT_EQ(r.Count, 10);
  EXPECT_EQ(r.Days, 10);
}

}  // namespace
}  // namespace mobrelle
