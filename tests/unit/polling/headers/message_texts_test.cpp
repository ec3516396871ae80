#include "polling/headers/message_texts.h"

#include <gtest/gtest.h>

#include "polling/headers/format_size.h"
#include "polling/headers/header_buffer.h"

namespace mobrelle {
namespace {

// The header lines as the POP3 client hands them over, decoded as the check does.
MessageTexts TextsOf(std::initializer_list<std::string_view> lines) {
  HeaderBuffer buffer;
  buffer.Rewind();
  for (auto line : lines) buffer.AppendLine(line);
  buffer.AppendLine("");
  TMimeDecode decoder;
  decoder.DecodeBytes(buffer.Bytes());
  return DeriveMessageTexts(decoder);
}

TEST(MessageTexts, FromAHeaderOnlyReply) {
  const MessageTexts t = TextsOf({
      "Return-Path: <>",
      "From: =?ISO-8859-1?Q?Ren=E9?= <Rene@Example.FR>",
      "To: =?utf-8?q?Andr=C3=A9?= <a@b.fr>",
      "CC: c@d.fr",
      "Subject: =?UTF-8?B?w4l0w6k=?= News",
      "Date: Tue, 15 Nov 1994 08:12:31 -0800",
      "Content-Type: text/plain; charset=ISO-8859-1",
      "Content-Transfer-Encoding: 8BIT",
  });
  EXPECT_EQ(t.sender, "ren\xE9 <rene@example.fr>");  // an empty Return-Path: the From text
  EXPECT_EQ(t.subject, "\xC9t\xE9 News");
  EXPECT_EQ(t.subjectForFilters, "\xE9t\xE9 news");
  EXPECT_EQ(t.toForFilters, "=?utf-8?q?Andr=C3=A9?= <a@b.fr>");
  EXPECT_EQ(t.to, "Andr\xE9 <a@b.fr>");
  EXPECT_EQ(t.cc, "c@d.fr");
  EXPECT_EQ(t.date, "15/11/1994 08:12:31");
  EXPECT_EQ(t.contentType, "iso-8859-1/text/plain/8bit");
}

TEST(MessageTexts, ReturnPathWithAnAddressIsTheSender) {
  const MessageTexts t = TextsOf({"Return-Path: <Bounce+1@X.com>", "From: Someone <s@y.com>", "Subject: Hello",
                                  "\tWorld"});
  EXPECT_EQ(t.sender, "bounce+1@x.com");
  EXPECT_EQ(t.subject, "Hello World");
  EXPECT_EQ(t.contentType, "//");
  EXPECT_EQ(t.date, "");
  EXPECT_EQ(t.cc, "");
}

TEST(MessageTexts, CcLine) {
  const std::string long400(400, 'x');
  struct Case {
    std::vector<std::string> lines;
    std::string cc;
  };
  const Case cases[] = {
      {{"To: a", "Cc: b@c, d@e", "cc: second"}, "b@c, d@e"},
      {{"cC:b@c"}, "b@c"},
      {{"Cc:  two spaces"}, " two spaces"},
      {{"Cc: " + long400}, long400.substr(0, 255)},
      {{"Bcc: b@c", "Ccx: y", "X-Cc: z"}, ""},
      {{"Cc:"}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CcText(c.lines), c.cc) << c.lines[0];
}

TEST(HeaderBuffer, RewindingMakesTheNextReplyReplaceTheFormer) {
  HeaderBuffer b;
  b.AppendLine("Subject: a long first reply");
  b.AppendLine("");
  b.Rewind();
  EXPECT_EQ(b.Bytes(), "Subject: a long first reply\r\n\r\n");  // rewinding alone keeps it
  b.AppendLine("To: x");
  EXPECT_EQ(b.Bytes(), "To: x\r\n");
}

TEST(FormatSize, GroupsOfThreeDigits) {
  EXPECT_EQ(FormatSize(0, '.'), "0");
  EXPECT_EQ(FormatSize(999, '.'), "999");
  EXPECT_EQ(FormatSize(1000, '.'), "1.000");
  EXPECT_EQ(FormatSize(1234, '.'), "1.234");
  EXPECT_EQ(FormatSize(1200000, '.'), "1.200.000");
  EXPECT_EQ(FormatSize(123456789, ' '), "123 456 789");
  EXPECT_EQ(FormatSize(18446744073709551615ull, '.'), "18.446.744.073.709.551.615");
}

}  // namespace
}  // namespace mobrelle
