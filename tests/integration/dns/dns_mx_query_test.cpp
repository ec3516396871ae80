#include "filters/dns/dns_mx_query.h"

#include <gtest/gtest.h>

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <map>

#include "tests/support/servers/dns_server.h"

namespace mobrelle {
namespace {

std::multimap<int, std::string> MxOf(const DnsMxQuery& q) {
  std::multimap<int, std::string> mx;
  for (int i = 0; i < q.AnswerCount(); ++i)
    if (q.AnswerTag(i) >= 0) mx.emplace(q.MxPreference(q.AnswerTag(i)), q.MxExchange(q.AnswerTag(i)));
  return mx;
}

TEST(DnsMxQuery, AnswersOfARealServer) {
  test::DnsServer server;
  server.AddMx("example.test", "mx1.example.test", 10);
  server.AddMx("example.test", "mx2.example.test", 20);
  server.AddMx("example.test", "backup.example.test", 100);
  server.AddA("nomx.test", "127.0.0.9");
  ASSERT_TRUE(server.Start());

  DnsMxQuery q;
  q.SetAddr(server.Host());
  q.SetPort(std::to_string(server.Port()));
  ASSERT_EQ(q.Lookup("example.test", 5000), 0);
  EXPECT_EQ(q.QueryId(), 1);
  EXPECT_EQ(MxOf(q), (std::multimap<int, std::string>{
                         {10, "mx1.example.test"}, {20, "mx2.example.test"}, {100, "backup.example.test"}}));

  ASSERT_EQ(q.Lookup("unknown.test", 5000), 0);
  EXPECT_EQ(q.Response().rcode, 3);
  EXPECT_EQ(q.AnswerCount(), 0);
  EXPECT_EQ(q.QueryId(), 2);

  ASSERT_EQ(q.Lookup("nomx.test", 5000), 0);
  EXPECT_EQ(q.Response().rcode, 0);
  EXPECT_TRUE(MxOf(q).empty());
}

TEST(DnsMxQuery, SilenceAndStrangersNeverComplete) {
  // A server that reads and never answers, and a stranger that sends a forged answer.
  QUdpSocket silent;
  ASSERT_TRUE(silent.bind(QHostAddress("127.0.0.1"), 0));
  DnsMxQuery q;
  q.SetAddr("127.0.0.1");
  q.SetPort(std::to_string(silent.localPort()));
  int done = 0;
  q.OnRequestDone = [&](int) { ++done; };
  QObject::connect(&silent, &QUdpSocket::readyRead, [&] {
    QNetworkDatagram d = silent.receiveDatagram();
    QByteArray forged = d.data();
    forged[2] = char(0x81);
    forged[0] = char(forged[0] ^ 0x55);  // wrong id from the right server: ignored
    silent.writeDatagram(forged, d.senderAddress(), d.senderPort());
  });
  EXPECT_EQ(q.Lookup("example.test", 500), -1);
  EXPECT_EQ(done, 0);
}

}  // namespace
}  // namespace mobrelle
