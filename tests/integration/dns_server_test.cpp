#include "tests/support/servers/dns_server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QHostAddress>
#include <QUdpSocket>

namespace mobrelle::test {
namespace {

// A query built and an answer read by hand, so that the server is checked without our own DNS code.
std::string Query(uint16_t id, const std::string& name, uint16_t type) {
  std::string q = {char(id >> 8), char(id & 0xFF), 0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0};
  size_t start = 0;
  while (start <= name.size()) {
    size_t dot = name.find('.', start);
    if (dot == std::string::npos) dot = name.size();
    q += char(dot - start);
    q += name.substr(start, dot - start);
    start = dot + 1;
  }
  q += '\0';
  q += {char(type >> 8), char(type & 0xFF), 0, 1};
  return q;
}

struct Answer {
  int rcode = -1;
  uint16_t id = 0;
  std::vector<std::pair<int, std::string>> mx;  // preference, exchange
  std::vector<std::string> a;
};

unsigned U16(const std::string& m, size_t at) {
  return at + 1 < m.size() ? (static_cast<unsigned char>(m[at]) << 8) | static_cast<unsigned char>(m[at + 1]) : 0;
}

// Name at `at`, following compression pointers (a bounded number of them); moves `at` past it.
std::string Name(const std::string& m, size_t& at) {
  std::string name;
  size_t pos = at;
  bool jumped = false;
  for (int step = 0; step < 64 && pos < m.size(); ++step) {
    const unsigned char len = static_cast<unsigned char>(m[pos]);
    if (len == 0) {
      if (!jumped) at = pos + 1;
      return name;
    }
    if (len >= 0xC0) {
      if (!jumped) at = pos + 2;
      jumped = true;
      pos = U16(m, pos) & 0x3FFF;
      continue;
    }
    if (!name.empty()) name += '.';
    name += m.substr(pos + 1, len);
    pos += 1 + len;
  }
  return name;
}

Answer Decode(const std::string& m) {
  Answer r;
  if (m.size() < 12) return r;
  r.id = static_cast<uint16_t>(U16(m, 0));
  r.rcode = m[3] & 0x0F;
  size_t at = 12;
  for (unsigned q = U16(m, 4); q > 0; --q) {
    Name(m, at);
    at += 4;
  }
  for (unsigned n = U16(m, 6); n > 0 && at < m.size(); --n) {
    Name(m, at);
    const unsigned type = U16(m, at), length = U16(m, at + 8);
    size_t data = at + 10;
    if (type == 15) {
      size_t exchange = data + 2;
      r.mx.emplace_back(U16(m, data), Name(m, exchange));
    } else if (type == 1 && length == 4 && data + 4 <= m.size()) {
      r.a.push_back(std::to_string(static_cast<unsigned char>(m[data])) + "." +
                    std::to_string(static_cast<unsigned char>(m[data + 1])) + "." +
                    std::to_string(static_cast<unsigned char>(m[data + 2])) + "." +
                    std::to_string(static_cast<unsigned char>(m[data + 3])));
    }
    at = data + length;
  }
  return r;
}

Answer Ask(const DnsServer& server, const std::string& name, uint16_t type = 15) {
  static uint16_t id = 100;
  QUdpSocket socket;
  const std::string q = Query(++id, name, type);
  socket.writeDatagram(q.data(), static_cast<qint64>(q.size()), QHostAddress(QString::fromStdString(server.Host())),
                       server.Port());
  if (!socket.waitForReadyRead(3000)) return {};
  std::string reply(512, '\0');
  const qint64 got = socket.readDatagram(reply.data(), static_cast<qint64>(reply.size()));
  reply.resize(got > 0 ? static_cast<size_t>(got) : 0);
  Answer a = Decode(reply);
  EXPECT_EQ(a.id, id) << name;
  return a;
}

void AddTestWorld(DnsServer& server) {
  server.AddMx("example.test", "mx1.example.test", 10);
  server.AddMx("example.test", "mx2.example.test", 20);
  server.AddMx("only100.test", "mx.only100.test", 100);
  server.AddA("mx1.example.test", "127.0.0.1");
  server.AddA("nomx.test", "127.0.0.3");
}

using MxList = std::vector<std::pair<int, std::string>>;

TEST(DnsServerTest, AnswersFromItsRecordsOnly) {
  DnsServer server;
  AddTestWorld(server);
  ASSERT_TRUE(server.Start());

  struct Case {
    const char* name;
    int rcode;
    MxList mx;
  };
  const Case cases[] = {
      {"example.test", 0, {{10, "mx1.example.test"}, {20, "mx2.example.test"}}},
      {"only100.test", 0, {{100, "mx.only100.test"}}},
      {"nomx.test", 0, {}},          // the name exists, with no mail exchanger
      {"unknown.test", 3, {}},       // NXDOMAIN, never forwarded
      {"example.com", 3, {}},
  };
  for (const Case& c : cases) {
    Answer a = Ask(server, c.name);
    EXPECT_EQ(a.rcode, c.rcode) << c.name;
    std::sort(a.mx.begin(), a.mx.end());
    EXPECT_EQ(a.mx, c.mx) << c.name;
  }
  EXPECT_EQ(Ask(server, "mx1.example.test", 1).a, std::vector<std::string>{"127.0.0.1"});
}

// The client asks port 53; as root that port binds on another loopback address without any setup.
TEST(DnsServerTest, StandardPortOnAnotherLoopbackAddress) {
  if (::geteuid() != 0) GTEST_SKIP() << "port 53 needs root (of this network namespace at least)";
  DnsServer server;
  server.SetAddress("127.0.0.2");
  server.SetPort(53);
  AddTestWorld(server);
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(Ask(server, "example.test").mx.size(), 2u);
}

}  // namespace
}  // namespace mobrelle::test
