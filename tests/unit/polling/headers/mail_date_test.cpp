#include "polling/headers/mail_date.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

TEST(MailDate, DayMonthYearAndTime) {
  struct Case {
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {"Tue, 15 Nov 1994 08:12:31 -0800", "15/11/1994 08:12:31"},
      {"15 Nov 1994 08:12:31", "15/11/1994 08:12:31"},
      {"Fri,  5 jan 2001 10:00:00 GMT", "05/01/2001 10:00:00"},
      {"Tue, 15 NOV 94 08:12:31 +0000", "15/11/1994 08:12:31"},
      {"1 Jan 05 10:00", "01/01/2005 10:00"},
      {"1 Jan 49 10:00", "01/01/2049 10:00"},
      {"1 Jan 50 10:00", "01/01/1950 10:00"},
      {"Tue, 29 Feb 2000 10:00,x", "29/02/2000 10:00"},
      {"Tue 15 Nov 1994", ""},  // no comma: "Tue" is read as the day
      {"30 Feb 2001 10:00:00", ""},
      {"29 Feb 1900 10:00:00", ""},
      {"15 Foo 1994 08:12:31", ""},
      {"x5 Nov 1994 08:12:31", ""},
      {"15 Nov 19x4 08:12:31", ""},
      {"15 Nov 1994", ""},
      {"15 Nov 1994 ", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatMailDate(c.text), c.shown) << c.text;
}

TEST(MailDate, TheDesktopsShortDateForm) {
  SetShortDateFormat([](int y, int m, int d) { return std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d); });
  EXPECT_EQ(FormatMailDate("15 Nov 1994 08:12:31"), "1994-11-15 08:12:31");
  SetShortDateFormat({});
  EXPECT_EQ(FormatMailDate("15 Nov 1994 08:12:31"), "15/11/1994 08:12:31");
}

}  // namespace
}  // namespace mobrelle
