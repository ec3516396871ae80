#include <gtest/gtest.h>

#include <vector>

#include "polling/pop3/sync_pop3_cli.h"
#include "tests/support/servers/dovecot_server.h"

namespace mobrelle::test {
namespace {

const std::string kFirst = "From: Ann <ann@example.test>\r\nSubject: first\r\n\r\nHello.\r\n";
const std::string kSecond =
    "From: Bob <bob@example.test>\r\nSubject: second\r\n\r\n.dot line\r\n..two dots\r\nlast\r\n";

class Pop3DovecotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.AddUser("alice", "secret");
    server.AddMessage("alice", kFirst);
    server.AddMessage("alice", kSecond);
    ASSERT_TRUE(server.Start());
    cli.Host = server.Host();
    cli.Port = server.Port();
    cli.UserName = " alice ";  // sent trimmed
    cli.PassWord = "secret";
    cli.OnMessageLine = [this](TSyncPop3Cli* c) { lines.push_back(c->LastResponse()); };
    cli.OnMessageEnd = [this](TSyncPop3Cli*) { ++ends; };
    cli.OnDisplay = [this](TSyncPop3Cli*, const std::string& l) { trace.push_back(l); };
  }

  DovecotServer server;
  TSyncPop3Cli cli;
  std::vector<std::string> lines, trace;
  int ends = 0;
};

TEST_F(Pop3DovecotTest, CheckSequenceWithUserPass) {
  ASSERT_TRUE(cli.OpenSync()) << cli.ErrorMessage();
  EXPECT_TRUE(cli.Connected());
  EXPECT_EQ(cli.ProtocolState(), pop3Transaction);
  ASSERT_TRUE(cli.StatSync());
  EXPECT_EQ(cli.MsgCount(), 2);
  EXPECT_EQ(cli.MsgSize(), static_cast<int64_t>(kFirst.size() + kSecond.size()));

  cli.MsgNum = 2;
  ASSERT_TRUE(cli.UidlSync());
  EXPECT_EQ(cli.MsgNum, 2);
  EXPECT_EQ(cli.MsgUidl().substr(0, 8), "00000002");
  ASSERT_TRUE(cli.ListSync());
  EXPECT_EQ(cli.MsgSize(), static_cast<int64_t>(kSecond.size()));

  cli.MsgLines = 0;
  ASSERT_TRUE(cli.TopSync());
  EXPECT_EQ(lines, (std::vector<std::string>{"From: Bob <bob@example.test>", "Subject: second", ""}));
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(cli.LastResponse(), "");

  lines.clear();
  ASSERT_TRUE(cli.RetrSync());
  EXPECT_EQ(lines, (std::vector<std::string>{"From: Bob <bob@example.test>", "Subject: second", "",
                                             ".dot line", "..two dots", "last"}));

  cli.MsgNum = 1;
  ASSERT_TRUE(cli.DeleSync());
  ASSERT_TRUE(cli.QuitSync());
  EXPECT_FALSE(cli.Connected());
  EXPECT_EQ(cli.ProtocolState(), pop3Disconnected);
  EXPECT_EQ(server.MessageCount("alice"), 1u);  // DELE takes effect at QUIT

  // The trace shows the dialogue but never the password.
  EXPECT_NE(std::find(trace.begin(), trace.end(), "> USER alice"), trace.end());
  EXPECT_NE(std::find(trace.begin(), trace.end(), "> PASS ****"), trace.end());
  for (const std::string& l : trace) EXPECT_EQ(l.find("secret"), std::string::npos) << l;
}

TEST_F(Pop3DovecotTest, ApopLogin) {
  ASSERT_TRUE(cli.ConnectSync()) << cli.ErrorMessage();
  EXPECT_EQ(cli.ProtocolState(), pop3WaitingUser);
  ASSERT_TRUE(cli.APopSync()) << cli.ErrorMessage();
  EXPECT_EQ(cli.ProtocolState(), pop3Transaction);
  ASSERT_TRUE(cli.StatSync());
  EXPECT_EQ(cli.MsgCount(), 2);
  EXPECT_TRUE(cli.QuitSync());
}

TEST_F(Pop3DovecotTest, WrongPasswordKeepsTheConnectionAndRefusesTransactions) {
  cli.PassWord = "wrong";
  EXPECT_FALSE(cli.OpenSync());
  EXPECT_TRUE(cli.Connected());
  EXPECT_EQ(cli.ProtocolState(), pop3WaitingPass);
  const std::string refusal = cli.ErrorMessage();
  EXPECT_EQ(refusal.substr(0, 4), "-ERR");

  EXPECT_FALSE(cli.StatSync());
  EXPECT_EQ(cli.ErrorMessage(), "-ERR STAT command invalid now");
  EXPECT_EQ(cli.MsgCount(), 0);
  EXPECT_TRUE(cli.QuitSync());
}

TEST_F(Pop3DovecotTest, UnknownMessageFailsAndKeepsTheResults) {
  ASSERT_TRUE(cli.OpenSync());
  ASSERT_TRUE(cli.StatSync());
  cli.MsgNum = 1;
  ASSERT_TRUE(cli.UidlSync());
  const std::string uid = cli.MsgUidl();
  cli.MsgNum = 9;
  EXPECT_FALSE(cli.UidlSync());
  EXPECT_EQ(cli.MsgUidl(), uid);
  EXPECT_EQ(cli.MsgNum, 9);
  EXPECT_EQ(cli.ErrorMessage().substr(0, 4), "-ERR");
  const std::string first = cli.ErrorMessage();
  EXPECT_FALSE(cli.ListSync());
  EXPECT_FALSE(cli.TopSync());
  EXPECT_EQ(cli.ErrorMessage(), first);  // the first error of the session stays
  EXPECT_EQ(cli.MsgSize(), static_cast<int64_t>(kFirst.size() + kSecond.size()));
  cli.MsgLines = -1;
  cli.MsgNum = 1;
  EXPECT_FALSE(cli.TopSync());
  EXPECT_TRUE(cli.Connected());
  EXPECT_TRUE(cli.QuitSync());
}

TEST_F(Pop3DovecotTest, LocalAddressIsWhereTheConnectionComesFrom) {
  cli.LocalAddr = "127.0.0.3";
  ASSERT_TRUE(cli.OpenSync()) << cli.ErrorMessage();
  EXPECT_TRUE(cli.QuitSync());
  bool seen = false;
  for (const std::string& line : ReadLines(server.LogPath()))
    if (line.find("user=<alice>") != std::string::npos && line.find("rip=127.0.0.3") != std::string::npos) seen = true;
  EXPECT_TRUE(seen) << "no login from 127.0.0.3 in " << server.LogPath();

  cli.LocalAddr = "not an address";
  EXPECT_FALSE(cli.OpenSync());
  EXPECT_FALSE(cli.Connected());
  EXPECT_EQ(cli.ErrorMessage(), "-ERR Address not available (Winsock error #10049)");
}

}  // namespace
}  // namespace mobrelle::test
