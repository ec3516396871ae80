#include "tests/support/servers/fake_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/integration/line_client.h"

namespace mobrelle::test {
namespace {

using Mode = FakeServer::Mode;

// Connects and logs in to one of the POP3 modes.
void Open(FakeServer& server, LineClient& c) {
  ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
  EXPECT_EQ(c.ReadLine(), server.Greeting());
  EXPECT_EQ(c.Command("USER alice"), "+OK");
  EXPECT_EQ(c.Command("PASS secret"), "+OK");
}

std::vector<std::string> WaitForLines(const FakeServer& server, size_t count) {
  std::vector<std::string> lines;
  for (int i = 0; i < 300 && lines.size() < count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines = server.ReceivedLines();
  }
  return lines;
}

TEST(FakeServerTest, SilentModes) {
  FakeServer silent(Mode::kSilent), greetSilent(Mode::kGreetThenSilent);
  greetSilent.SetGreeting("220 almost an SMTP server");
  ASSERT_TRUE(silent.Start());
  ASSERT_TRUE(greetSilent.Start());

  LineClient s;
  ASSERT_TRUE(s.Connect(silent.Host(), silent.Port()));
  EXPECT_FALSE(s.ReadLine(300).has_value());
  s.Send("USER alice");
  EXPECT_FALSE(s.ReadLine(300).has_value());
  EXPECT_EQ(WaitForLines(silent, 1), std::vector<std::string>{"USER alice"});

  LineClient g;
  ASSERT_TRUE(g.Connect(greetSilent.Host(), greetSilent.Port()));
  EXPECT_EQ(g.ReadLine(), "220 almost an SMTP server");
  g.Send("EHLO me");
  EXPECT_FALSE(g.ReadLine(300).has_value());
  EXPECT_FALSE(g.ClosedWithin(100));
}

TEST(FakeServerTest, GarbageHasNoStatus) {
  FakeServer server(Mode::kGarbage);
  ASSERT_TRUE(server.Start());
  LineClient c;
  ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
  const std::string first = c.ReadLine().value_or("");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first[0], '\0');
  for (int i = 0; i < 3; ++i) {
    const std::optional<std::string> line = c.ReadLine();
    ASSERT_TRUE(line.has_value()) << "line " << i;
    EXPECT_TRUE(line->empty() || (line->at(0) != '+' && !std::isdigit(static_cast<unsigned char>(line->at(0)))))
        << *line;
  }
  EXPECT_FALSE(c.ClosedWithin(100));
}

TEST(FakeServerTest, ConnectionDroppedInTheMiddleOfTop) {
  FakeServer server(Mode::kDropMidTop);
  ASSERT_TRUE(server.Start());
  LineClient c;
  Open(server, c);
  EXPECT_EQ(c.Command("STAT").value_or("").substr(0, 5), "+OK 1");
  EXPECT_EQ(c.Command("TOP 1 0").value_or("").substr(0, 3), "+OK");
  EXPECT_FALSE(c.ReadDotted().has_value());  // two lines, then the end of the connection, no "."
  EXPECT_TRUE(c.ClosedWithin(LineClient::kWaitMs));
}

TEST(FakeServerTest, FiveMegabyteLine) {
  FakeServer server(Mode::kLongLine);
  ASSERT_TRUE(server.Start());
  ASSERT_EQ(server.LongLineBytes(), 5u * 1024 * 1024);
  LineClient c;
  Open(server, c);
  EXPECT_EQ(c.Command("TOP 1 0").value_or("").substr(0, 3), "+OK");
  const std::optional<std::vector<std::string>> lines = c.ReadDotted();
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 5u);
  EXPECT_EQ((*lines)[0].size(), server.LongLineBytes());
  EXPECT_EQ((*lines)[0].substr(0, 9), "X-Long: x");
  EXPECT_EQ((*lines)[1], "From: Sender <sender@example.test>");
  EXPECT_EQ(c.Command("QUIT"), "+OK bye");
  EXPECT_TRUE(c.ClosedWithin(LineClient::kWaitMs));
}

TEST(FakeServerTest, QuitAcceptedButConnectionLeftOpen) {
  FakeServer server(Mode::kQuitKeepsOpen);
  ASSERT_TRUE(server.Start());
  LineClient c;
  Open(server, c);
  EXPECT_EQ(c.Command("RETR 1").value_or("").substr(0, 3), "+OK");
  const std::optional<std::vector<std::string>> message = c.ReadDotted();
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->at(5), "..A line that began with a dot.");
  EXPECT_EQ(c.Command("QUIT"), "+OK bye");
  EXPECT_FALSE(c.ClosedWithin(500));
  EXPECT_EQ(WaitForLines(server, 4).back(), "QUIT");
}

TEST(FakeServerTest, ReplyBytesAsGiven) {
  const std::string answer = "HTTP/1.0 200 OK\r\nContent-Length: 12\r\nContent-Le";  // header cut short
  FakeServer closing(Mode::kReplyFile), open(Mode::kReplyFile);
  closing.SetReply(answer);
  open.SetReply(answer, /*keepOpen=*/true, /*afterFirstLine=*/true);
  ASSERT_TRUE(closing.Start());
  ASSERT_TRUE(open.Start());

  LineClient c;
  ASSERT_TRUE(c.Connect(closing.Host(), closing.Port()));
  c.SendRaw("GET /VERSION.htm HTTP/1.0\r\nUser-Agent: test\r\n\r\n");
  EXPECT_EQ(c.ReadUntilClosed(), answer);
  EXPECT_EQ(WaitForLines(closing, 3),
            (std::vector<std::string>{"GET /VERSION.htm HTTP/1.0", "User-Agent: test", ""}));

  LineClient o;
  ASSERT_TRUE(o.Connect(open.Host(), open.Port()));
  o.Send("GET / HTTP/1.0");
  EXPECT_EQ(o.ReadUntilClosed(500), answer);  // the wait ends, the connection does not
  EXPECT_FALSE(o.ClosedWithin(100));
}

}  // namespace
}  // namespace mobrelle::test
