#include "tests/support/servers/dovecot_server.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include "tests/integration/line_client.h"

namespace mobrelle::test {
namespace {

// CR LF files as a POP3 client receives them; the second has a line that must come back dot-stuffed.
const std::string kFirst = "From: Ann <ann@example.test>\r\nSubject: first\r\n\r\nHello.\r\n";
const std::string kSecond =
    "From: Bob <bob@example.test>\r\nSubject: second\r\nX-Long: a\r\n\r\n.dot line\r\nlast\r\n";

std::string Field(const std::string& reply, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) start = reply.find(' ', start) + 1;
  return reply.substr(start, reply.find(' ', start) - start);
}

class DovecotServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.AddUser("alice", "secret");
    server.AddMessage("alice", kFirst);
    server.AddMessage("alice", kSecond);
    server.AddUser("bob", "other");
    ASSERT_TRUE(server.Start());
  }

  void Login(LineClient& c) {
    ASSERT_EQ(c.Command("USER alice").value_or("").substr(0, 3), "+OK");
    ASSERT_EQ(c.Command("PASS secret").value_or("").substr(0, 3), "+OK");
  }

  DovecotServer server;
};

TEST_F(DovecotServerTest, AnswersTheTransactionCommands) {
  LineClient c;
  ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
  const std::string greeting = c.ReadLine().value_or("");
  // The APOP timestamp: <...@...> at the end of the greeting.
  EXPECT_EQ(greeting.substr(0, 4), "+OK ");
  EXPECT_NE(greeting.find('<'), std::string::npos);
  EXPECT_NE(greeting.find('@', greeting.find('<')), std::string::npos);
  EXPECT_EQ(greeting.back(), '>');

  Login(c);
  EXPECT_EQ(c.Command("STAT"), "+OK 2 " + std::to_string(kFirst.size() + kSecond.size()));
  EXPECT_EQ(c.Command("LIST 2"), "+OK 2 " + std::to_string(kSecond.size()));

  // UIDs follow the order the messages were added; the uid is UID then UID validity, 8 hex digits each.
  const std::string uid1 = Field(c.Command("UIDL 1").value_or(""), 2);
  const std::string uid2 = Field(c.Command("UIDL 2").value_or(""), 2);
  ASSERT_EQ(uid1.size(), 16u);
  EXPECT_EQ(uid1.substr(0, 8), "00000001");
  EXPECT_EQ(uid2.substr(0, 8), "00000002");
  EXPECT_EQ(uid1.substr(8), uid2.substr(8));

  EXPECT_EQ(c.Command("TOP 2 0").value_or("").substr(0, 3), "+OK");
  EXPECT_EQ(c.ReadDotted(), (std::vector<std::string>{"From: Bob <bob@example.test>", "Subject: second",
                                                      "X-Long: a", ""}));
  EXPECT_EQ(c.Command("RETR 2").value_or("").substr(0, 3), "+OK");
  EXPECT_EQ(c.ReadDotted(), (std::vector<std::string>{"From: Bob <bob@example.test>", "Subject: second",
                                                      "X-Long: a", "", "..dot line", "last"}));
  EXPECT_EQ(c.Command("UIDL 3").value_or("").substr(0, 4), "-ERR");
  EXPECT_EQ(c.Command("QUIT").value_or("").substr(0, 3), "+OK");
  EXPECT_TRUE(c.ClosedWithin(LineClient::kWaitMs));
}

TEST_F(DovecotServerTest, ApopWithTheGreetingTimestamp) {
  for (const char* password : {"wrong", "secret"}) {
    LineClient c;
    ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
    const std::string greeting = c.ReadLine().value_or("");
    const size_t open = greeting.find('<');
    ASSERT_NE(open, std::string::npos) << greeting;
    const std::string stamp = greeting.substr(open, greeting.find('>', open) + 1 - open);
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(stamp + password), QCryptographicHash::Md5).toHex();
    const std::string reply = c.Command("APOP alice " + digest.toStdString()).value_or("");
    EXPECT_EQ(reply.substr(0, 3), std::string(password) == "secret" ? "+OK" : "-ER") << password << ": " << reply;
  }
}

// A refused login must not hold back the next one: clients retry at once.
TEST_F(DovecotServerTest, GoodLoginRightAfterABadOne) {
  LineClient c;
  ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
  c.ReadLine();
  EXPECT_EQ(c.Command("USER alice").value_or("").substr(0, 3), "+OK");
  EXPECT_EQ(c.Command("PASS nope").value_or("").substr(0, 4), "-ERR");
  EXPECT_EQ(c.Command("USER alice").value_or("").substr(0, 3), "+OK");
  EXPECT_EQ(c.Command("PASS secret", 2000).value_or("timed out").substr(0, 3), "+OK");
}

TEST_F(DovecotServerTest, DeletionAtQuitAndNewMail) {
  {
    LineClient c;
    ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
    c.ReadLine();
    Login(c);
    EXPECT_EQ(c.Command("DELE 1").value_or("").substr(0, 3), "+OK");
    EXPECT_EQ(server.MessageCount("alice"), 2u);  // nothing happens before QUIT
    c.Command("QUIT");
    EXPECT_TRUE(c.ClosedWithin(LineClient::kWaitMs));
  }
  EXPECT_EQ(server.MessageCount("alice"), 1u);
  server.AddMessage("alice", kFirst);
  LineClient c;
  ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
  c.ReadLine();
  Login(c);
  EXPECT_EQ(c.Command("STAT"), "+OK 2 " + std::to_string(kFirst.size() + kSecond.size()));
  EXPECT_EQ(Field(c.Command("UIDL 2").value_or(""), 2).substr(0, 8), "00000003");
}

TEST_F(DovecotServerTest, StlsAndPop3sWithTheTestCertificate) {
  {
    LineClient c;
    ASSERT_TRUE(c.Connect(server.Host(), server.Port()));
    c.ReadLine();
    EXPECT_EQ(c.Command("STLS").value_or("").substr(0, 3), "+OK");
    ASSERT_TRUE(c.StartTls(server.CertificatePath())) << c.Error();
    EXPECT_TRUE(c.Encrypted());
    Login(c);
    EXPECT_EQ(c.Command("STAT").value_or("").substr(0, 5), "+OK 2");
  }
  LineClient c;
  ASSERT_TRUE(c.ConnectTls(server.Host(), server.Pop3sPort(), server.CertificatePath())) << c.Error();
  EXPECT_EQ(c.ReadLine().value_or("").substr(0, 3), "+OK");
  Login(c);
  EXPECT_EQ(c.Command("STAT").value_or("").substr(0, 5), "+OK 2");
}

TEST(DovecotServers, TwoSideBySide) {
  DovecotServer one, two;
  one.AddUser("alice", "secret");
  one.AddMessage("alice", kFirst);
  two.AddUser("alice", "secret");
  ASSERT_TRUE(one.Start());
  ASSERT_TRUE(two.Start());
  EXPECT_NE(one.Port(), two.Port());
  for (auto [server, expected] : {std::pair{&one, "+OK 1 "}, std::pair{&two, "+OK 0 "}}) {
    LineClient c;
    ASSERT_TRUE(c.Connect(server->Host(), server->Port()));
    c.ReadLine();
    c.Command("USER alice");
    c.Command("PASS secret");
    EXPECT_EQ(c.Command("STAT").value_or("").substr(0, 6), expected);
  }
}

}  // namespace
}  // namespace mobrelle::test
