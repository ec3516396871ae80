#include <gtest/gtest.h>

#include "polling/message_list/message_sorting.h"

namespace mobrelle {
namespace {

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

struct Case {
  const char* a;
  const char* b;
  int expected;  // sign of the comparison
};

TEST(MessageSortingTest, SizesCompareAsNumbersWithoutTheSeparators) {
  const Case cases[] = {
      {"1.234", "999", 1},          // text order would put "1.234" first
      {"999", "1.000", -1},
      {"1.200.000", "1.199.999", 1},
      {"12", "12", 0},
      {"", "0", -1},                // nothing to read comes first
      {"abc", "1", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(Sign(CompareSizes(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
}

TEST(MessageSortingTest, DatesCompareAsDateTimesAndUnreadableOnesComeFirst) {
  const Case cases[] = {
      {"02/01/1995 00:00:00", "15/11/1994 08:12:31", 1},  // day first: text order would say otherwise
      {"15/11/1994 08:12:31", "15/11/1994 08:12:30", 1},
      {"15/11/1994 9:05", "15/11/1994 10:00:00", -1},     // the time as the header gave it
      {"01/01/2020 00:00:00", "31/12/2019 23:59:59", 1},
      {"", "01/01/1970 00:00:00", -1},
      {"30/02/2020 10:00:00", "01/01/1970 00:00:00", -1},  // impossible date
      {"15/11/1994", "01/01/1970 00:00:00", -1},           // no time
      {"15/11/1994 25:00:00", "01/01/1970 00:00:00", -1},
      {"", "", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Sign(CompareDates(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
}

TEST(MessageSortingTest, TextsCompareWithoutRegardToCaseAccentsIncluded) {
  const Case cases[] = {
      {"abc", "ABD", -1},
      {"Zoe", "adam", 1},
      {"\xC9t\xE9", "\xE9T\xC9", 0},  // "Été" and "éTÉ"
      {"ab", "abc", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(Sign(CompareTextNoCase(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
}

}  // namespace
}  // namespace mobrelle
