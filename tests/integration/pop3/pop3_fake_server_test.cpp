#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <vector>

#include "polling/pop3/sync_pop3_cli.h"
#include "tests/support/servers/fake_server.h"
#include "tests/support/servers/loopback_server.h"

namespace mobrelle::test {
namespace {

void PointAt(TSyncPop3Cli& cli, const LoopbackServer& s) {
  cli.Host = s.Host();
  cli.Port = s.Port();
  cli.UserName = "u";
  cli.PassWord = "p";
}

TEST(Pop3FakeServer, SilenceAfterGreetingTimesOut) {
  FakeServer server(FakeServer::Mode::kGreetThenSilent);
  ASSERT_TRUE(server.Start());
  TSyncPop3Cli cli;
  PointAt(cli, server);
  cli.Timeout = 1;
  // A timer firing inside the wait: the event loop keeps running.
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(100);
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(cli.OpenSync());
  EXPECT_EQ(cli.ErrorMessage(), "426 Timeout");
  EXPECT_EQ(cli.StatusCode(), 426);
  EXPECT_FALSE(cli.Connected());
  EXPECT_GE(clock.elapsed(), 900);
  EXPECT_GE(ticks, 3);
}

TEST(Pop3FakeServer, GarbageGreetingIsRefused) {
  FakeServer server(FakeServer::Mode::kGarbage);
  ASSERT_TRUE(server.Start());
  TSyncPop3Cli cli;
  PointAt(cli, server);
  cli.Timeout = 5;
  EXPECT_FALSE(cli.OpenSync());
  EXPECT_FALSE(cli.Connected());
  EXPECT_FALSE(cli.ErrorMessage().empty());
  EXPECT_NE(cli.ErrorMessage()[0], '+');
}

TEST(Pop3FakeServer, DropInMidTopFails) {
  FakeServer server(FakeServer::Mode::kDropMidTop);
  ASSERT_TRUE(server.Start());
  TSyncPop3Cli cli;
  PointAt(cli, server);
  int lines = 0, ends = 0;
  cli.OnMessageLine = [&](TSyncPop3Cli*) { ++lines; };
  cli.OnMessageEnd = [&](TSyncPop3Cli*) { ++ends; };
  ASSERT_TRUE(cli.OpenSync()) << cli.ErrorMessage();
  cli.MsgNum = 1;
  EXPECT_FALSE(cli.TopSync());
  EXPECT_EQ(lines, 2);
  EXPECT_EQ(ends, 0);
  EXPECT_EQ(cli.ErrorMessage(), "-ERR Disconneced unexpectedly");
  EXPECT_FALSE(cli.Connected());
  EXPECT_FALSE(cli.StatSync());
  EXPECT_EQ(cli.ErrorMessage(), "-ERR STAT command invalid now");
  EXPECT_TRUE(cli.QuitSync());
}

TEST(Pop3FakeServer, FiveMegabyteLineComesInPieces) {
  FakeServer server(FakeServer::Mode::kLongLine);
  ASSERT_TRUE(server.Start());
  TSyncPop3Cli cli;
  PointAt(cli, server);
  std::vector<size_t> sizes;
  size_t total = 0;
  cli.OnMessageLine = [&](TSyncPop3Cli* c) {
    if (sizes.size() < 4) sizes.push_back(c->LastResponse().size());
    total += c->LastResponse().size();
  };
  ASSERT_TRUE(cli.OpenSync());
  cli.MsgNum = 1;
  ASSERT_TRUE(cli.TopSync()) << cli.ErrorMessage();
  ASSERT_GE(sizes.size(), 2u);
  EXPECT_EQ(sizes[0], 4093u);
  EXPECT_EQ(sizes[1], 4093u);
  EXPECT_GE(total, server.LongLineBytes());
  EXPECT_TRUE(cli.QuitSync());
}

TEST(Pop3FakeServer, QuitWithoutCloseTimesOut) {
  FakeServer server(FakeServer::Mode::kQuitKeepsOpen);
  ASSERT_TRUE(server.Start());
  TSyncPop3Cli cli;
  PointAt(cli, server);
  cli.Timeout = 1;
  ASSERT_TRUE(cli.OpenSync());
  EXPECT_FALSE(cli.QuitSync());
  EXPECT_EQ(cli.ErrorMessage(), "426 Timeout");
  EXPECT_FALSE(cli.Connected());
}

TEST(Pop3FakeServer, ApopWithoutTimestampIsRefused) {
  FakeServer server(FakeServer::Mode::kGreetThenSilent);
  server.SetGreeting("+OK no stamp here");
  ASSERT_TRUE(server.Start());
  TSyncPop3Cli cli;
  PointAt(cli, server);
  ASSERT_TRUE(cli.ConnectSync());
  EXPECT_FALSE(cli.APopSync());
  EXPECT_EQ(cli.ErrorMessage(), "-ERR Server do not support APOP (no timestamp)");
  cli.Abort();
}

TEST(Pop3FakeServer, ConnectionRefusedAndHostNotFound) {
  TSyncPop3Cli cli;
  cli.Host = "127.0.0.1";
  cli.Port = FreePort("127.0.0.1");
  EXPECT_FALSE(cli.OpenSync());
  EXPECT_EQ(cli.ErrorMessage(), "-ERR Connection refused (Winsock error #10061)");
  EXPECT_FALSE(cli.Connected());

  cli.Host = "no-such-host.invalid";
  EXPECT_FALSE(cli.OpenSync());
  EXPECT_EQ(cli.ErrorMessage(), "-ERR Host not found (Winsock error #11001)");

  cli.Host = "";
  EXPECT_FALSE(cli.ConnectSync());
}

TEST(Pop3FakeServer, ClientDeletedByAHandlerInsideItsWait) {
  FakeServer server(FakeServer::Mode::kGreetThenSilent);
  ASSERT_TRUE(server.Start());
  auto* cli = new TSyncPop3Cli;
  PointAt(*cli, server);
  cli->Timeout = 10;
  QPointer<TSyncPop3Cli> guard(cli);
  QTimer::singleShot(200, [cli] { delete cli; });
  EXPECT_FALSE(cli->OpenSync());
  EXPECT_TRUE(guard.isNull());
}

}  // namespace
}  // namespace mobrelle::test

namespace mobrelle::test {
namespace {

// While one client waits, a timer runs a whole session of another client, or stops the first.
TEST(Pop3FakeServer, WaitsNestAndCanBeStoppedFromInside) {
  FakeServer mute(FakeServer::Mode::kGreetThenSilent);
  FakeServer other(FakeServer::Mode::kQuitKeepsOpen);  // answers every command like a normal server
  ASSERT_TRUE(mute.Start());
  ASSERT_TRUE(other.Start());
  TSyncPop3Cli waiting, inner;
  PointAt(waiting, mute);
  PointAt(inner, other);
  waiting.Timeout = 3;
  bool innerOk = false;
  int innerCount = -1;
  QTimer::singleShot(100, [&] {
    innerOk = inner.OpenSync() && inner.StatSync();
    innerCount = inner.MsgCount();
    inner.Abort();
  });
  EXPECT_FALSE(waiting.OpenSync());
  EXPECT_EQ(waiting.ErrorMessage(), "426 Timeout");
  EXPECT_TRUE(innerOk) << inner.ErrorMessage();
  EXPECT_EQ(innerCount, 1);

  // The stop button: an abort from inside the wait ends it at once, as a failure.
  QElapsedTimer clock;
  clock.start();
  QTimer::singleShot(100, [&] { waiting.Abort(); });
  EXPECT_FALSE(waiting.OpenSync());
  EXPECT_LT(clock.elapsed(), 2500);
  EXPECT_FALSE(waiting.Connected());
  EXPECT_EQ(waiting.State(), pop3Ready);
}

}  // namespace
}  // namespace mobrelle::test
