#include "filters/sender_check/sender_check.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>
#include <cstring>
#include <functional>

#include "app/core/cp1252.h"
#include "app/core/status_log.h"
#include "filters/verdicts/verdict_ports.h"
#include "tests/support/servers/dns_server.h"
#include "tests/support/servers/postfix_server.h"
#include "tests/support/servers/scripted_smtp_server.h"

namespace mobrelle {
namespace {

// Only the frame text matters to the check.
class FrameRecorder : public RejectAlert {
 public:
  void ClearFields() override {}
  void PaintRed(AlertField) override {}
  void ShowRecipientsEmpty() override {}
  bool RecipientsShowEmpty() const override { return false; }
  void SetFrameText(const std::string& text) override { frame = Cp1252ToUtf8(text); }
  AlertResult Show(char, int, const AlertTexts&) override { return {}; }
  std::string frame;
};

// A check aimed at test servers, with every text panel 1 showed, in UTF-8.
struct Checker {
  Checker(const std::string& dnsHost, uint16_t dnsPort, uint16_t probePort) : check(log, &alert) {
    check.SetDnsServer(dnsHost);
    check.SetDnsPort(std::to_string(dnsPort));
    check.SetProbePort(std::to_string(probePort));
    log.OnChange = [this](int index) {
      if (index == 1) shown.push_back(Cp1252ToUtf8(log.Panel(1)));
    };
  }
  int Check(const std::string& sender) {
    shown.clear();
    alert.frame.clear();
    check.ResetResult();
    return check.CheckSenderExists(sender);
  }
  StatusLog log;
  FrameRecorder alert;
  SenderCheck check;
  std::vector<std::string> shown;
};

size_t CountLinesWith(const std::string& path, const std::string& what) {
  size_t n = 0;
  for (const std::string& line : test::ReadLines(path)) n += line.find(what) != std::string::npos;
  return n;
}

const std::string kNotVerified = " Adresse non vérifiée";
const std::string kFrame = "Interception d'un message dont l'expéditeur est inexistant";

// A real DNS server and a real exchanger that knows one address per domain. Exchangers are named by
// their loopback address, so no host name needs resolving (Postfix listens only on an address of
// the loopback interface, 127.0.0.1).
TEST(SenderCheck, RealDnsAndExchanger) {
  test::PostfixServer postfix;
  postfix.AddDomain("example.test");
  postfix.AddDomain("two.test");
  postfix.AddMailbox("known@example.test");
  postfix.AddMailbox("known@two.test");
  ASSERT_TRUE(postfix.Start());
  test::DnsServer dns;
  dns.AddMx("example.test", "127.0.0.1", 10);
  dns.AddMx("two.test", "127.0.0.3", 20);  // nobody listens there: the lower preference must win
  dns.AddMx("two.test", "127.0.0.1", 10);
  dns.AddMx("backup.test", "127.0.0.1", 100);
  dns.AddA("nomx.test", "127.0.0.1");
  ASSERT_TRUE(dns.Start());

  Checker c(dns.Host(), dns.Port(), postfix.Port());
  const struct {
    const char* sender;
    int result;
    const char* status;
    const char* mxHost;
  } cases[] = {
      {"alice <known@example.test>", 1, " Adresse OK", "127.0.0.1"},
      {"nobody@example.test", -1, " Adresse FAUSSE", "127.0.0.1"},
      {"known@two.test", 1, " Adresse OK", "127.0.0.1"},
      {"x@backup.test", -2, kNotVerified.c_str(), ""},
      {"x@nomx.test", -2, kNotVerified.c_str(), ""},
      {"x@nowhere.test", -2, kNotVerified.c_str(), ""},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(c.Check(k.sender), k.result) << k.sender;
    EXPECT_EQ(c.check.SenderCheckResult(), k.result) << k.sender;
    EXPECT_EQ(c.check.MxHost(), k.mxHost) << k.sender;
    EXPECT_EQ(c.shown, (std::vector<std::string>{std::string(" Teste l'existence de ") + k.sender, k.status}));
    EXPECT_EQ(c.alert.frame, k.result < 0 ? kFrame : "") << k.sender;
  }
  EXPECT_EQ(c.check.GoodSenders(), (std::set<std::string>{"alice <known@example.test>", "known@two.test"}));
  EXPECT_EQ(c.check.BadSenders(), (std::set<std::string>{"nobody@example.test"}));
  // The probe never sends a message and asks as the domain's postmaster.
  EXPECT_GE(CountLinesWith(postfix.LogPath(), "from=<Postmaster@example.test>"), 1u);
  EXPECT_TRUE(postfix.Delivered("known@example.test").empty());

  // Known answers come from memory: no query, no connection, even with both servers gone.
  const size_t queries = CountLinesWith(dns.LogPath(), "query[MX]");
  EXPECT_EQ(queries, 6u);
  const size_t connections = CountLinesWith(postfix.LogPath(), " connect from");
  EXPECT_EQ(connections, 3u);
  dns.Stop();
  postfix.Stop();
  EXPECT_EQ(c.Check("nobody@example.test"), -1);
  EXPECT_EQ(c.shown, (std::vector<std::string>{" Adresse FAUSSE"}));
  EXPECT_EQ(c.alert.frame, kFrame);
  EXPECT_EQ(c.Check("alice <known@example.test>"), 1);
  EXPECT_EQ(c.shown, (std::vector<std::string>{" Adresse OK"}));
  EXPECT_EQ(CountLinesWith(dns.LogPath(), "query[MX]"), queries);
  EXPECT_EQ(CountLinesWith(postfix.LogPath(), " connect from"), connections);
}

// Exchanger replies that prove nothing about the address: not remembered, asked again next time.
TEST(SenderCheck, ProbeFailuresOtherThan550ProveNothing) {
  test::ScriptedSmtpServer busy;
  busy.SetReply("RCPT busy@one.test", {"450 4.2.1 try again later"});
  busy.SetReply("RCPT gone@one.test", {"551 5.1.6 user has moved"});
  busy.SetReply("RCPT nobody@one.test", {"550 5.1.1 no such user"});
  ASSERT_TRUE(busy.Start());
  test::ScriptedSmtpServer noEhlo;
  noEhlo.SetReply("EHLO", {"502 5.5.2 command not recognized"});
  ASSERT_TRUE(noEhlo.Start());
  test::ScriptedSmtpServer closed;
  closed.SetGreeting({"421 4.3.2 shutting down"});
  ASSERT_TRUE(closed.Start());
  test::DnsServer dns;
  dns.AddMx("one.test", "127.0.0.1", 10);
  ASSERT_TRUE(dns.Start());

  Checker c(dns.Host(), dns.Port(), busy.Port());
  EXPECT_EQ(c.Check("busy@one.test"), 0);
  EXPECT_EQ(c.shown.back(), kNotVerified);
  EXPECT_EQ(c.alert.frame, "");
  EXPECT_EQ(c.Check("busy@one.test"), 0);
  EXPECT_EQ(c.Check("gone@one.test"), 0);
  EXPECT_EQ(c.Check("nobody@one.test"), -1);
  EXPECT_TRUE(c.check.GoodSenders().empty());
  EXPECT_EQ(c.check.BadSenders(), (std::set<std::string>{"nobody@one.test"}));
  const std::vector<std::string> session = {"MAIL FROM:<Postmaster@one.test>", "RCPT TO:<busy@one.test>", "RSET",
                                            "QUIT"};
  std::vector<std::string> lines = busy.ReceivedLines();
  ASSERT_EQ(lines.size(), 4u * 5) << testing::PrintToString(lines);
  for (size_t s = 0; s < 2; ++s)
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(lines[s * 5 + 1 + i], session[i]);
  for (const std::string& l : lines) EXPECT_NE(l, "DATA");

  Checker e(dns.Host(), dns.Port(), noEhlo.Port());
  EXPECT_EQ(e.Check("nobody@one.test"), 0);
  lines = noEhlo.ReceivedLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 5), "EHLO ");  // no HELO after a refused EHLO
  EXPECT_EQ(lines[1], "RSET");
  EXPECT_EQ(lines[2], "QUIT");

  Checker g(dns.Host(), dns.Port(), closed.Port());
  EXPECT_EQ(g.Check("nobody@one.test"), 0);
  EXPECT_TRUE(closed.ReceivedLines().empty());
  EXPECT_EQ(g.check.MxHost(), "127.0.0.1");
}

// A UDP server that answers each MX query as `answer` says, `delayMs` after it came; an empty
// answer means silence.
class ScriptedDns {
 public:
  using Answer = std::function<QByteArray(const QByteArray& query)>;
  explicit ScriptedDns(Answer answer, int delayMs = 0) : answer_(std::move(answer)) {
    ok_ = socket_.bind(QHostAddress("127.0.0.1"), 0);
    QObject::connect(&socket_, &QUdpSocket::readyRead, [this, delayMs] {
      while (socket_.hasPendingDatagrams()) {
        QNetworkDatagram d = socket_.receiveDatagram();
        queries_.push_back(d.data());
        peer_ = d.senderAddress();
        peerPort_ = d.senderPort();
        const QByteArray reply = answer_(d.data());
        if (reply.isEmpty()) continue;
        QTimer::singleShot(delayMs, &socket_, [this, reply, peer = peer_, port = peerPort_] {
          socket_.writeDatagram(reply, peer, port);
        });
      }
    });
  }
  bool Ok() const { return ok_; }
  uint16_t Port() const { return socket_.localPort(); }
  const std::vector<QByteArray>& Queries() const { return queries_; }
  // Sends to where the last query came from.
  void Send(const QByteArray& datagram) { socket_.writeDatagram(datagram, peer_, peerPort_); }

 private:
  Answer answer_;
  QUdpSocket socket_;
  bool ok_ = false;
  std::vector<QByteArray> queries_;
  QHostAddress peer_;
  uint16_t peerPort_ = 0;
};

// The query turned into a response with `rcode` and `flags` (added to QR), plus one MX answer
// pointing at 127.0.0.1 when `withMx`.
QByteArray Response(const QByteArray& query, int rcode, uint16_t flags = 0, bool withMx = false) {
  QByteArray r = query;
  const uint16_t f = 0x8000 | 0x0100 | 0x0080 | flags | static_cast<uint16_t>(rcode);
  r[2] = static_cast<char>(f >> 8);
  r[3] = static_cast<char>(f & 0xFF);
  if (withMx) {
    r[7] = 1;  // ANCOUNT
    // Owner: a pointer to the question name; MX, IN, TTL 60.
    r.append("\xC0\x0C\x00\x0F\x00\x01\x00\x00\x00\x3C", 10);
    // Preference 10, exchange 127.0.0.1 written as four labels.
    QByteArray rdata("\x00\x0A", 2);
    for (const char* label : {"127", "0", "0", "1"}) {
      rdata.append(static_cast<char>(std::strlen(label)));
      rdata.append(label);
    }
    rdata.append('\0');
    r.append(static_cast<char>(rdata.size() >> 8));
    r.append(static_cast<char>(rdata.size() & 0xFF));
    r.append(rdata);
  }
  return r;
}

// Answers that fail, are cut or are refused leave the sender not verified; they never reject, and
// the exchanger they may name is not asked.
TEST(SenderCheck, DnsErrorsNeverCondemn) {
  test::ScriptedSmtpServer refusing;
  refusing.SetReply("RCPT", {"550 5.1.1 no such user"});
  ASSERT_TRUE(refusing.Start());
  const struct {
    const char* domain;
    int rcode;
    uint16_t flags;
    bool withMx;
    int result;
  } cases[] = {
      {"servfail.test", 2, 0, false, 0}, {"refused.test", 5, 0, false, 0}, {"formerr.test", 1, 0, false, 0},
      {"notimp.test", 4, 0, true, 0},    {"cut.test", 0, 0x0200, true, 0}, {"cutnx.test", 3, 0x0200, false, 0},
      {"nxdomain.test", 3, 0, false, -2}, {"empty.test", 0, 0, false, -2}, {"good.test", 0, 0, true, -1},
  };
  for (const auto& k : cases) {
    ScriptedDns dns([&](const QByteArray& q) { return Response(q, k.rcode, k.flags, k.withMx); });
    ASSERT_TRUE(dns.Ok());
    Checker c("127.0.0.1", dns.Port(), refusing.Port());
    EXPECT_EQ(c.Check(std::string("someone@") + k.domain), k.result) << k.domain;
    EXPECT_EQ(dns.Queries().size(), 1u) << k.domain;
    EXPECT_EQ(c.shown.back(), k.result == -1 ? " Adresse FAUSSE" : kNotVerified) << k.domain;
  }
  // Only the last case reached the exchanger.
  size_t rcpt = 0;
  for (const std::string& l : refusing.ReceivedLines()) rcpt += l.rfind("RCPT", 0) == 0;
  EXPECT_EQ(rcpt, 1u);
}

// A silent server bounds the wait, the window keeps running meanwhile, and an answer that comes
// after the wait changes nothing, neither then nor during the next check.
TEST(SenderCheck, SilentDnsAndLateAnswers) {
  std::vector<QByteArray> held;
  ScriptedDns dns([&](const QByteArray& q) {
    held.push_back(q);
    return QByteArray();
  });
  ASSERT_TRUE(dns.Ok());
  Checker c("127.0.0.1", dns.Port(), 9);
  c.check.SetDnsWaitMs(1500);
  int ticks = 0;
  QTimer ui;
  QObject::connect(&ui, &QTimer::timeout, [&] { ++ticks; });
  ui.start(100);
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(c.Check("a@late.test"), 0);
  EXPECT_GE(t.elapsed(), 1400);
  EXPECT_GE(ticks, 5);  // the event loop ran during the wait
  EXPECT_EQ(c.shown, (std::vector<std::string>{" Teste l'existence de a@late.test", kNotVerified}));
  EXPECT_EQ(c.alert.frame, "");
  ASSERT_EQ(held.size(), 1u);

  // The answer to the first query arrives now: it says the domain does not exist.
  dns.Send(Response(held[0], 3));
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(c.check.SenderCheckResult(), 0);

  // And again while the second check waits for its own answer, which never comes.
  ScriptedDns* server = &dns;
  QTimer::singleShot(200, [&] { server->Send(Response(held[0], 3)); });
  EXPECT_EQ(c.Check("b@late.test"), 0);
  EXPECT_EQ(c.check.SenderCheckResult(), 0);
  EXPECT_EQ(held.size(), 2u);
}

// Another mailbox's check runs inside the wait of the first: each gets its own answer.
TEST(SenderCheck, CheckInsideAnotherChecksWait) {
  ScriptedDns dns([](const QByteArray& q) { return Response(q, 3); }, 300);
  ASSERT_TRUE(dns.Ok());
  Checker c("127.0.0.1", dns.Port(), 9);
  c.check.SetDnsWaitMs(3000);
  int inner = 99;
  QTimer::singleShot(50, [&] { inner = c.check.CheckSenderExists("b@nx.test"); });
  EXPECT_EQ(c.check.CheckSenderExists("a@nx.test"), -2);  // 0 had its query been abandoned
  EXPECT_EQ(inner, -2);
  EXPECT_EQ(c.check.SenderCheckResult(), -2);
  EXPECT_EQ(dns.Queries().size(), 2u);
}

TEST(SenderCheck, NoDnsServerSkipsTheCheck) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("resolv.conf"), "search lan\nnameserver ::1\n");
  StatusLog log;
  log.ShowStatus(1, "before");
  FrameRecorder alert;
  SenderCheck check(log, &alert);
  check.SetResolvConfPath(dir.File("resolv.conf"));
  EXPECT_EQ(check.CheckSenderExists("a@b.test"), 0);
  EXPECT_EQ(log.Panel(1), " before");
  EXPECT_EQ(check.DnsServer(), "");

  // A server found in the file is kept for the run; one that is not listening proves nothing.
  const uint16_t port = test::FreePort("127.0.0.1", test::Transport::kUdp);
  test::WriteFileBytes(dir.File("resolv.conf"), "nameserver 127.0.0.1\n");
  check.SetDnsPort(std::to_string(port));
  check.SetDnsWaitMs(1000);
  EXPECT_EQ(check.CheckSenderExists("a@b.test"), 0);
  EXPECT_EQ(check.DnsServer(), "127.0.0.1");
  EXPECT_EQ(Cp1252ToUtf8(log.Panel(1)), kNotVerified);
  EXPECT_EQ(alert.frame, "");
}

}  // namespace
}  // namespace mobrelle
