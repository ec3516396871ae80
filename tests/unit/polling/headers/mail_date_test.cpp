#include "polling/headers/mail_date.h"

#include <gtest/gtest.h>

#include "app/core/texts.h"

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
      {"7 Dec 999 10:00", "07/12/0999 10:00"},
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

// The month names are the language's: once it changes, the new names are the ones read.
TEST(MailDate, MonthNamesFollowTheLanguage) {
  EXPECT_EQ(FormatMailDate("2 Feb 2026 10:00"), "02/02/2026 10:00");
  SetTextTranslator([](int id, const char* fr) {
    return id == 1002 ? std::string("Janv\r\nFevr\r\nMars\r\nAvr\r\nMai\r\nJuin\r\nJuil\r\nAout\r\nSept\r\nOct\r\nNov\r\nDec")
                      : std::string(fr);
  });
  EXPECT_EQ(FormatMailDate("2 Fevr 2026 10:00"), "02/02/2026 10:00");
  EXPECT_EQ(FormatMailDate("2 Feb 2026 10:00"), "");
  // A table that names fewer months leaves the others unknown: an empty month is no month.
  SetTextTranslator([](int id, const char* fr) {
    return id == 1002 ? std::string("Jan\r\nFeb\r\nMar\r\nApr\r\nMay\r\nJun\r\nJul\r\nAug\r\nSep\r\nOct\r\nNov")
                      : std::string(fr);
  });
  EXPECT_EQ(FormatMailDate("2 Nov 2026 10:00"), "02/11/2026 10:00");
  EXPECT_EQ(FormatMailDate("2  2026 10:00"), "");
  SetTextTranslator({});
  EXPECT_EQ(FormatMailDate("2 Feb 2026 10:00"), "02/02/2026 10:00");
}

}  // namespace
}  // namespace mobrelle
