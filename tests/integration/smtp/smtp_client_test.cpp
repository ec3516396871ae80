#include "filters/smtp/smtp_client.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "tests/support/servers/fake_server.h"
#include "tests/support/servers/postfix_server.h"
#include "tests/support/servers/scripted_smtp_server.h"

namespace mobrelle {
namespace {

void Aim(SmtpClient& c, const test::LoopbackServer& s) {
  c.Host = s.Host();
  c.Port = std::to_string(s.Port());
  c.SignOn = "client.test";
}

TEST(SmtpClient, PostfixKnowsOneRecipient) {
  test::PostfixServer server;
  server.AddMailbox("known@example.test");
  ASSERT_TRUE(server.Start());
  SmtpClient c;
  Aim(c, server);
  c.FromAddr = "probe@sender.test";
  ASSERT_TRUE(c.Open()) << c.LastResponse();
  ASSERT_TRUE(c.MailFrom()) << c.LastResponse();
  c.RcptName = {"known@example.test"};
  EXPECT_TRUE(c.RcptTo()) << c.LastResponse();
  c.RcptName = {"nobody@example.test"};
  EXPECT_FALSE(c.RcptTo());
  EXPECT_EQ(c.ErrorCode(), 550);
  EXPECT_EQ(c.LastResponse().substr(0, 4), "550 ");
  EXPECT_TRUE(c.Quit());
  EXPECT_TRUE(c.Quit());  // not connected any more: nothing sent
}

TEST(SmtpClient, GreetingsAndRepliesChosenByTheServer) {
  {
    test::ScriptedSmtpServer server;
    server.SetGreeting({"421 busy, come back later"});
    ASSERT_TRUE(server.Start());
    SmtpClient c;
    Aim(c, server);
    EXPECT_FALSE(c.Open());
    EXPECT_EQ(c.ErrorCode(), 421);
    EXPECT_TRUE(server.ReceivedLines().empty());
  }
  test::ScriptedSmtpServer server;
  server.SetReply("EHLO", {"250-scripted.test", "250-SIZE 10240000", "250-8BITMIME", "250 HELP"});
  server.SetReply("RCPT busy@example.test", {"450 4.2.1 try later"});
  ASSERT_TRUE(server.Start());
  SmtpClient c;
  Aim(c, server);
  ASSERT_TRUE(c.Connect());
  EXPECT_TRUE(c.Ehlo());
  EXPECT_EQ(c.LastResponse(), "250 HELP");
  c.FromAddr = "<a@b.test>";
  c.RcptName = {"ok@example.test", "busy@example.test", "never@example.test"};
  EXPECT_FALSE(c.Mail());
  EXPECT_EQ(c.ErrorCode(), 450);
  const auto lines = server.ReceivedLines();
  EXPECT_EQ(lines, (std::vector<std::string>{"EHLO client.test", "MAIL FROM:<a@b.test>", "RCPT TO:<ok@example.test>",
                                             "RCPT TO:<busy@example.test>"}));
}

TEST(SmtpClient, ForwardedRecipientResetAndAConnectionLostInAStep) {
  test::ScriptedSmtpServer server;
  server.SetReply("RCPT forward@example.test", {"251 2.1.5 User not local; will forward"});
  ASSERT_TRUE(server.Start());
  SmtpClient c;
  Aim(c, server);
  c.FromAddr = "a@b.test";
  c.RcptName = {"forward@example.test", "ok@example.test"};
  ASSERT_TRUE(c.Open()) << c.LastResponse();
  ASSERT_TRUE(c.MailFrom()) << c.LastResponse();
  EXPECT_TRUE(c.RcptTo()) << c.LastResponse();  // 251 accepted, the next recipient still asked
  EXPECT_TRUE(c.Rset()) << c.LastResponse();
  EXPECT_EQ(c.LastResponse(), "250 2.0.0 Ok");
  EXPECT_EQ(server.ReceivedLines(), (std::vector<std::string>{"HELO client.test", "MAIL FROM:<a@b.test>",
                                                              "RCPT TO:<forward@example.test>",
                                                              "RCPT TO:<ok@example.test>", "RSET"}));
  // The server goes away while the session is open: the next step fails with the socket's error.
  server.Stop();
  EXPECT_FALSE(c.Rset());
  EXPECT_EQ(c.ErrorCode(), 500);
  EXPECT_EQ(c.LastResponse(), "500 Connection reset by peer (Winsock error #10054)");
  EXPECT_FALSE(c.Connected());
  EXPECT_TRUE(c.Quit());  // nothing left to end
}

TEST(SmtpClient, RecordedMessageIsStuffedAndHasItsHeaders) {
  test::ScriptedSmtpServer server;
  ASSERT_TRUE(server.Start());
  SmtpClient c;
  Aim(c, server);
  c.FromAddr = "me@here.test";
  c.RcptName = {"you@there.test"};
  c.Message.from = "me@here.test";
  c.Message.subject = "Re: hello";
  c.Message.lines = {"first", ".", "..x"};
  ASSERT_TRUE(c.Open()) << c.LastResponse();
  ASSERT_TRUE(c.Mail()) << c.LastResponse();
  EXPECT_TRUE(c.Quit());
  const auto messages = server.Messages();
  ASSERT_EQ(messages.size(), 1u);
  const std::string& m = messages[0];
  EXPECT_NE(m.find("From: me@here.test\r\nSubject: Re: hello\r\nSender: me@here.test\r\nMime-Version: 1.0\r\n"
                   "Content-Type: text/plain; charset=\"iso-8859-1\"\r\nDate: "),
            std::string::npos)
      << m;
  EXPECT_NE(m.find(" GMT\r\nX-Mailer: "), std::string::npos);
  EXPECT_NE(m.find("\r\n\r\nfirst\r\n..\r\n...x\r\n"), std::string::npos) << m;
}

TEST(SmtpClient, SilenceTimesOutAndRefusalIsAWinsockError) {
  test::ScriptedSmtpServer server;
  server.SetSilent("HELO");
  ASSERT_TRUE(server.Start());
  SmtpClient c;
  Aim(c, server);
  c.Timeout = 1;
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(c.Open());
  EXPECT_EQ(c.ErrorCode(), 426);
  EXPECT_EQ(c.ErrorMessage(), "426 Timeout");
  EXPECT_GE(t.elapsed(), 900);

  test::FakeServer silent(test::FakeServer::Mode::kSilent);
  ASSERT_TRUE(silent.Start());
  Aim(c, silent);
  EXPECT_FALSE(c.Connect());
  EXPECT_EQ(c.ErrorMessage(), "426 Timeout");

  const uint16_t port = silent.Port();
  silent.Stop();
  c.Port = std::to_string(port);
  EXPECT_FALSE(c.Connect());
  EXPECT_EQ(c.ErrorCode(), 500);
  EXPECT_EQ(c.LastResponse(), "500 Connection refused (Winsock error #10061)");
}

}  // namespace
}  // namespace mobrelle
