#include "filters/smtp/smtp_reply.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

TEST(SmtpReplyReader, MultiLineRepliesInPieces) {
  SmtpReplyReader r;
  const std::string bytes = "250-first\r\n250-SIZE 1000\r\n250 last\r\n  354 go\n";
  for (char c : bytes.substr(0, 20)) r.Feed(&c, 1);
  EXPECT_EQ(r.Next(), SmtpReplyReader::Status::NeedMore);
  r.Feed(bytes.data() + 20, bytes.size() - 20);
  ASSERT_EQ(r.Next(), SmtpReplyReader::Status::Reply);
  EXPECT_EQ(r.Code(), 250);
  EXPECT_EQ(r.LastLine(), "250 last");
  ASSERT_EQ(r.Next(), SmtpReplyReader::Status::Reply);
  EXPECT_EQ(r.Code(), 354);
  EXPECT_EQ(r.Next(), SmtpReplyReader::Status::NeedMore);
  r.Feed("garbage\r\n", 9);
  ASSERT_EQ(r.Next(), SmtpReplyReader::Status::Reply);
  EXPECT_EQ(r.Code(), 0);  // no code: no step accepts it
}

TEST(SmtpReplyReader, OverLongLineFails) {
  SmtpReplyReader r;
  const std::string big(kSmtpMaxReplyLine + 1, '2');
  r.Feed(big.data(), big.size());
  EXPECT_EQ(r.Next(), SmtpReplyReader::Status::TooLong);
}

TEST(SmtpCommands, AddressesAndInjection) {
  EXPECT_EQ(SmtpAddressCommand("MAIL FROM", "  a@b.test "), "MAIL FROM:<a@b.test>");
  EXPECT_EQ(SmtpAddressCommand("MAIL FROM", " <a@b.test>"), "MAIL FROM:<a@b.test>");
  EXPECT_EQ(SmtpAddressCommand("RCPT TO", "Bob <b@c.test>"), "RCPT TO:Bob <b@c.test>");
  EXPECT_EQ(SmtpAddressCommand("RCPT TO", "a@b\r\nRSET"), "RCPT TO:<a@b  RSET>");
}

TEST(SmtpMessage, HeadersDateAndBody) {
  SmtpMessage m;
  m.from = "me@here.test";
  m.subject = "Hi\r\n.\r\nQUIT";
  m.lines = {"one", ".", ".two", std::string(2000, 'x'), "a\r\n.\r\nb"};
  const std::time_t fri9dec2022 = 1670594709;  // Fri, 9 Dec 2022 14:05:09 GMT
  const auto out = SmtpDataLines(m, fri9dec2022);
  const std::vector<std::string> head = {"From: me@here.test",
                                         "Subject: Hi  .  QUIT",
                                         "Sender: me@here.test",
                                         "Mime-Version: 1.0",
                                         "Content-Type: text/plain; charset=\"iso-8859-1\"",
                                         "Date: Fri, 9 Dec 2022 14:05:09 GMT",
                                         std::string("X-Mailer: ") + kSmtpMailer,
                                         ""};
  ASSERT_EQ(out.size(), head.size() + 8);
  EXPECT_EQ(std::vector<std::string>(out.begin(), out.begin() + 8), head);
  EXPECT_EQ(out[8], "one");
  EXPECT_EQ(out[9], "..");
  EXPECT_EQ(out[10], "..two");
  EXPECT_EQ(out[11].size(), 1023u);
  EXPECT_EQ(out[12], "a");
  EXPECT_EQ(out[13], "..");
  EXPECT_EQ(out[14], "b");
  EXPECT_EQ(out.back(), ".");

  SmtpMessage bare;  // no From: no From and no Sender line, Subject always
  const auto b = SmtpDataLines(bare, 0);
  EXPECT_EQ(b[0], "Subject: ");
  EXPECT_EQ(b[3], "Date: Thu, 1 Jan 1970 00:00:00 GMT");
}

}  // namespace
}  // namespace mobrelle
