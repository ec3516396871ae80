// Times the check-like sequence (STAT, then UIDL n, TOP n 0, LIST n for every message) and a run of
// UIDL n through our client and through Python's poplib against one Dovecot, and the CPU a call
// spends while it waits on a silent server.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "polling/pop3/sync_pop3_cli.h"
#include "tests/support/servers/dovecot_server.h"
#include "tests/support/servers/fake_server.h"
#include "tests/support/temp_dir.h"

using namespace mobrelle;
using namespace mobrelle::test;

namespace {

constexpr const char* kPython = R"(import poplib, sys, time
host, port, user, pw, n, uidl = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], int(sys.argv[5]), int(sys.argv[6])
t = time.perf_counter()
p = poplib.POP3(host, port); p.user(user); p.pass_(pw); p.stat()
for i in range(1, n + 1):
    p.uidl(i); p.top(i, 0); p.list(i)
p.quit()
check = time.perf_counter() - t
t = time.perf_counter()
p = poplib.POP3(host, port); p.user(user); p.pass_(pw)
for i in range(uidl):
    p.uidl(i % n + 1)
p.quit()
print(check, time.perf_counter() - t)
)";

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool Login(TSyncPop3Cli& c, const DovecotServer& s) {
  c.Host = s.Host();
  c.Port = s.Port();
  c.UserName = s.User();
  c.PassWord = s.Password();
  c.Timeout = 30;
  return c.OpenSync();
}

int Arg(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int messages = std::clamp(Arg(argc, argv, "--messages", 2000), 1, 20000);
  const int uidlRuns = std::clamp(Arg(argc, argv, "--uidl", 10000), 0, 100000);
  const int silent = std::clamp(Arg(argc, argv, "--silent", 10), 0, 60);

  // Delivered after the start: the start script copies its initial messages one by one.
  auto message = [](int i) {
    return "From: Sender " + std::to_string(i) + " <s" + std::to_string(i) +
           "@example.test>\r\nTo: bench@example.test\r\nSubject: message " + std::to_string(i) +
           "\r\nDate: Thu, 10 Dec 2026 12:00:00 +0000\r\n\r\nBody.\r\n";
  };
  DovecotServer server;
  server.AddUser("bench", "bench-pass");
  server.AddMessage("bench", message(1));
  if (!server.Start()) {
    std::fprintf(stderr, "Dovecot did not start: %s\n", server.Error().c_str());
    return 1;
  }
  for (int i = 2; i <= messages; ++i) server.AddMessage("bench", message(i));

  // Ours: the check sequence, then the UIDL run.
  TSyncPop3Cli cli;
  size_t lines = 0;
  cli.OnMessageLine = [&](TSyncPop3Cli*) { ++lines; };
  QElapsedTimer clock;
  auto check = [&]() -> bool {
    if (!Login(cli, server) || !cli.StatSync() || cli.MsgCount() != messages) {
      std::fprintf(stderr, "login or STAT failed: %s\n", cli.ErrorMessage().c_str());
      return false;
    }
    for (int n = 1; n <= messages; ++n) {
      cli.MsgNum = n;
      cli.MsgLines = 0;
      if (!cli.UidlSync() || !cli.TopSync() || !(cli.MsgNum = n, cli.ListSync())) {
        std::fprintf(stderr, "message %d failed: %s\n", n, cli.ErrorMessage().c_str());
        return false;
      }
    }
    return cli.QuitSync();
  };
  // A first pass lets Dovecot index the new mail, so neither client pays for it.
  if (!check()) return 1;
  lines = 0;
  clock.start();
  if (!check()) return 1;
  const double oursCheck = clock.nsecsElapsed() / 1e9;
  clock.restart();
  if (!Login(cli, server)) return 1;
  for (int i = 0; i < uidlRuns; ++i) {
    cli.MsgNum = i % messages + 1;
    if (!cli.UidlSync()) return 1;
  }
  cli.QuitSync();
  const double oursUidl = clock.nsecsElapsed() / 1e9;

  // Python's poplib, same commands, same server.
  TempDir dir;
  WriteFileBytes(dir.File("bench.py"), kPython);
  QProcess py;
  py.start("/usr/bin/python3", {QString::fromStdString(dir.File("bench.py")), QString::fromStdString(server.Host()),
                                QString::number(server.Port()), QString::fromStdString(server.User()),
                                QString::fromStdString(server.Password()), QString::number(messages),
                                QString::number(uidlRuns)});
  if (!py.waitForFinished(600000) || py.exitCode() != 0) {
    std::fprintf(stderr, "python client failed: %s\n", py.readAllStandardError().constData());
    return 1;
  }
  double pyCheck = 0, pyUidl = 0;
  if (std::sscanf(py.readAllStandardOutput().constData(), "%lf %lf", &pyCheck, &pyUidl) != 2) return 1;

  std::printf("messages %d (%zu header lines read)\n", messages, lines);
  std::printf("check sequence  ours %.3f s  poplib %.3f s  ratio %.3f\n", oursCheck, pyCheck, oursCheck / pyCheck);
  if (uidlRuns > 0)
    std::printf("%d x UIDL n    ours %.3f s  poplib %.3f s  ratio %.3f\n", uidlRuns, oursUidl, pyUidl,
                oursUidl / pyUidl);

  if (silent > 0) {
    // One call waiting on a server that never answers: the wait must sleep, not spin.
    FakeServer mute(FakeServer::Mode::kGreetThenSilent);
    if (!mute.Start()) return 1;
    TSyncPop3Cli waiting;
    waiting.Host = mute.Host();
    waiting.Port = mute.Port();
    waiting.Timeout = silent;
    const double cpu0 = CpuSeconds();
    clock.restart();
    waiting.OpenSync();
    const double wall = clock.nsecsElapsed() / 1e9, cpu = CpuSeconds() - cpu0;
    std::printf("silent server   waited %.2f s  cpu %.4f s  (%.3f%% of the wait)  error \"%s\"\n", wall, cpu,
                100 * cpu / wall, waiting.ErrorMessage().c_str());
  }
  return 0;
}
