#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/integration/line_client.h"
#include "tests/support/servers/postfix_server.h"
#include "tests/support/servers/scripted_smtp_server.h"

namespace mobrelle::test {
namespace {

// Reads one reply, continuation lines included; returns all its lines (empty when none came).
std::vector<std::string> Reply(LineClient& c, int waitMs = LineClient::kWaitMs) {
  std::vector<std::string> lines;
  for (int n = 0; n < 1000; ++n) {
    std::optional<std::string> line = c.ReadLine(waitMs);
    if (!line) break;
    lines.push_back(*line);
    if (line->size() < 4 || (*line)[3] != '-') break;
  }
  return lines;
}

std::string Last(const std::vector<std::string>& reply) { return reply.empty() ? "" : reply.back(); }

std::vector<std::string> Step(LineClient& c, const std::string& line) {
  c.Send(line);
  return Reply(c);
}

TEST(PostfixServerTest, KnownRecipientsOnly) {
  // Not a missing server: Postfix cannot run at all without root, so as a normal user this is known.
  if (!RunningAsRealRoot()) GTEST_SKIP() << "Postfix runs only as root of the machine";
  PostfixServer server;
  server.AddMailbox("alice@example.test");
  ASSERT_TRUE(server.Start());
  LineClient c;
  ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
  EXPECT_EQ(Last(Reply(c)).substr(0, 4), "220 ");
  EXPECT_EQ(Last(Step(c, "EHLO client.test")).substr(0, 4), "250 ");
  EXPECT_EQ(Last(Step(c, "MAIL FROM:<Postmaster@sender.test>")).substr(0, 3), "250");

  struct Case {
    const char* recipient;
    const char* reply;
  };
  for (const Case& k : {Case{"alice@example.test", "250 2.1.5 Ok"}, Case{"nobody@example.test", "550 5.1.1 "},
                        Case{"someone@elsewhere.test", "554 5.7.1 "}}) {
    const std::string reply = Last(Step(c, std::string("RCPT TO:<") + k.recipient + ">"));
    EXPECT_EQ(reply.substr(0, std::string(k.reply).size()), k.reply) << k.recipient << ": " << reply;
  }
  EXPECT_EQ(Last(Step(c, "DATA")).substr(0, 3), "354");
  c.SendRaw("Subject: probe\r\n\r\n..dotted\r\n");
  EXPECT_EQ(Last(Step(c, ".")).substr(0, 3), "250");
  EXPECT_EQ(Last(Step(c, "QUIT")).substr(0, 3), "221");

  std::vector<std::string> delivered;
  for (int i = 0; i < 500 && delivered.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    delivered = server.Delivered("alice@example.test");
  }
  ASSERT_EQ(delivered.size(), 1u) << "see " << server.LogPath();
  EXPECT_NE(delivered[0].find("\n.dotted"), std::string::npos);
}

TEST(ScriptedSmtpServerTest, DefaultRepliesAndRecordedMessage) {
  ScriptedSmtpServer server;
  ASSERT_TRUE(server.Start());
  LineClient c;
  ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
  EXPECT_EQ(Reply(c), std::vector<std::string>{"220 scripted.test ESMTP"});
  EXPECT_EQ(Last(Step(c, "HELO me")), "250 scripted.test");
  EXPECT_EQ(Last(Step(c, "MAIL FROM:<a@b.test>")).substr(0, 3), "250");
  EXPECT_EQ(Last(Step(c, "RCPT TO:<c@d.test>")).substr(0, 3), "250");
  EXPECT_EQ(Last(Step(c, "DATA")).substr(0, 3), "354");
  c.SendRaw("Subject: hi\r\n\r\n..\r\nend\r\n");
  EXPECT_EQ(Last(Step(c, ".")).substr(0, 3), "250");
  EXPECT_EQ(Last(Step(c, "QUIT")).substr(0, 3), "221");
  EXPECT_TRUE(c.ClosedWithin(LineClient::kWaitMs));
  EXPECT_EQ(server.Messages(), std::vector<std::string>{"Subject: hi\r\n\r\n..\r\nend\r\n"});
  const std::vector<std::string> lines = server.ReceivedLines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "HELO me");
  EXPECT_EQ(lines[2], "RCPT TO:<c@d.test>");
}

TEST(ScriptedSmtpServerTest, ChosenReplies) {
  ScriptedSmtpServer server;
  server.SetReply("EHLO", {"250-scripted.test", "250-PIPELINING", "250 8BITMIME"});
  server.SetReply("RCPT busy@example.test", {"450 4.2.1 Mailbox busy"});
  server.SetSilent("NOOP");
  ASSERT_TRUE(server.Start());
  LineClient c;
  ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
  Reply(c);
  EXPECT_EQ(Step(c, "EHLO me"), (std::vector<std::string>{"250-scripted.test", "250-PIPELINING", "250 8BITMIME"}));
  EXPECT_EQ(Last(Step(c, "MAIL FROM:<a@b.test>")).substr(0, 3), "250");
  EXPECT_EQ(Last(Step(c, "RCPT TO:<Busy@Example.test>")), "450 4.2.1 Mailbox busy");
  EXPECT_EQ(Last(Step(c, "RCPT TO:<free@example.test>")).substr(0, 3), "250");
  c.Send("NOOP");
  EXPECT_TRUE(Reply(c, 300).empty());
  // Silence in one step leaves the next one answered.
  EXPECT_EQ(Last(Step(c, "RSET")).substr(0, 3), "250");
}

TEST(ScriptedSmtpServerTest, RefusingOrSilentGreeting) {
  ScriptedSmtpServer refusing, silent;
  refusing.SetGreeting({"421 4.3.2 Service not available"});
  silent.SetSilentGreeting();
  ASSERT_TRUE(refusing.Start());
  ASSERT_TRUE(silent.Start());

  LineClient r;
  ASSERT_TRUE(r.Connect(refusing.Host(), refusing.Port()));
  EXPECT_EQ(r.ReadUntilClosed(), "421 4.3.2 Service not available\r\n");

  LineClient s;
  ASSERT_TRUE(s.Connect(silent.Host(), silent.Port()));
  EXPECT_FALSE(s.ReadLine(300).has_value());
  s.Send("EHLO me");
  EXPECT_EQ(Last(Reply(s)).substr(0, 3), "250");
}

}  // namespace
}  // namespace mobrelle::test
