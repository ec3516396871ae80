// Times a whole check of a mailbox against a bare blocking-socket client that sends the same
// commands to the same Dovecot in the same run:
//   - our check (the check cycle with its message list and a view that does nothing) of N new
//     messages, then the check again of the same, now listed, messages; N = 2,000 and 10,000;
//   - "mobrelle --check" of 10,000 new messages, the program started as a script would;
//   - the longest time the event loop went without running a 5 ms timer during our checks: how long
//     a window would stay frozen;
//   - our POP3 client alone sending the same commands, without the check around it: which share of
//     a difference is the client's waits and which the check's own work per message.
// With --view plain the message list is shown in a tree view meanwhile (offscreen when there is no
// display), so the times and the stall include what a window pays for each listed row; with
// --view paced the view's updates are off during the check and it is repainted every 40 ms (or
// --pace ms) instead, to measure that remedy. --table shows it in a table view instead of a tree.
// The reference sends USER, PASS, STAT, then UIDL n, TOP n 0 and LIST n for each new message, UIDL n
// alone for each known one, and QUIT.
//
// Each figure is taken several times, the contenders taking turns, and the best and the median run
// are printed: on a small shared machine one slow run says more about the neighbours than about us.
// Run by hand inside a loopback-only namespace:
//   bash scripts/sandbox.sh build/bin/check_bench [--small 2000] [--large 10000] [--repeat 5]
// With --profile ours|raw|program only that contender runs, on the large mailbox: a profiler or a
// system-call count then sees nobody else.
//
// Figures of December 2026 on a 2-core VM (ratios ours / reference, best and median; with busy
// neighbours they drift by 0.1 to 0.3 either way), machine otherwise idle:
//   no view, 5 runs, before the client read its replies straight from the socket:
//                     first check 2,000 1.16 / 1.16, 10,000 1.18 / 1.16
//                     check again 2,000 1.18 / 1.14, 10,000 1.15 / 1.19
//                     our client alone  1.10 / 1.11 first, 1.11 (median) again
//                     mobrelle --check 10,000 new  1.15 / 1.20
//                     longest stall 7 to 10 ms (10,000 new)
//   tree view shown, repainted as it asks:  first check 2,000 in 11 s (20 s with busy neighbours),
//                     10,000 in 89 s (busy), stall 35 to 44 ms: one full repaint per listed row
//                     (about 5 ms each, mostly text shaping) and, in a tree view, a layout of every
//                     row per inserted row
//   tree view, repainted every 200 ms:  first check 10,000 3.6 s against 1.4 s (the layouts)
//   table view, repainted every 200 ms: first check 1.21 / 1.22 for both sizes, again 1.23 / 1.21,
//                     longest stall 11 to 14 ms
//   no view, 5 runs, replies read straight from the socket, sets sized once (two runs of the program):
//                     first check 2,000 1.04 / 1.04-1.06, 10,000 1.04-1.05 / 1.05-1.12
//                     check again 2,000 1.04-1.06 / 1.02-1.04, 10,000 1.04-1.07 / 1.05-1.06
//                     mobrelle --check 10,000 new  1.10-1.11 / 1.10-1.18
//                     longest stall 11 to 16 ms
//   the same, table view repainted every 200 ms, 3 runs: medians 1.07-1.12 (the reference had a
//                     fast run, so the best ratios read 1.19-1.30), longest stall 11 to 15 ms
//   no view, 5 runs, after the work per message was cut (text conversion by runs, month names split
//                     once, texts moved into the row, POP3 lines without an allocation each; about a
//                     third fewer instructions) and --check no longer loads the window's libraries
//                     (three runs of the program):
//                     first check 2,000 1.01-1.05 / 1.02-1.04, 10,000 1.03-1.04 / 1.03-1.05
//                     check again 2,000 1.02-1.04 / 1.03-1.03, 10,000 1.05 / 1.05-1.07
//                     mobrelle --check 10,000 new  1.07-1.08 / 1.07-1.09 (the same program before
//                     these changes, in turns with it: 6 % slower)
//                     longest stall 12 to 15 ms
// System calls per command: ours 2 (send, recv) and a round of the event loop every 8 ms or so, as
// the reference. What is left is our work per new message in user space (header decoding, judging,
// listing), and for the program its start (about 20 ms, most of it loading Qt) and printing the
// rows.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_core.h"
#include "app/busy_lock.h"
#include "app/core/ini_file.h"
#include "app/mailbox_list_model.h"
#include "app/startup.h"
#include "filters/verdicts/verdict_ports.h"
#include "polling/check/check_cycle.h"
#include "polling/check/check_ports.h"
#include "polling/message_list/message_list_model.h"
#include "polling/pop3/sync_pop3_cli.h"
#include "polling/check/quiet_view.h"
#include "tests/bench/support/raw_pop3.h"
#include "tests/support/servers/dovecot_server.h"
#include "tests/support/temp_dir.h"

using namespace mobrelle;
using namespace mobrelle::test;
using mobrelle::bench::RawPop3;

namespace {

struct Account {
  std::string label, host;
  uint16_t port;
  std::string user, password;
  int messages;
};

// Seconds, or a negative number when a command failed. `known`: the messages are listed already,
// so each costs its UIDL only.
double RawCheck(const Account& a, bool known) {
  RawPop3 r;
  QElapsedTimer clock;
  clock.start();
  if (!r.Connect(a.host, a.port) || !r.Command("USER " + a.user) || !r.Command("PASS " + a.password) ||
      !r.Command("STAT"))
    return -1;
  char command[64];
  size_t lines = 0;
  for (int n = 1; n <= a.messages; ++n) {
    std::snprintf(command, sizeof command, "UIDL %d", n);
    if (!r.Command(command)) return -1;
    if (known) continue;
    std::snprintf(command, sizeof command, "TOP %d 0", n);
    if (!r.MultiLine(command, lines)) return -1;
    std::snprintf(command, sizeof command, "LIST %d", n);
    if (!r.Command(command)) return -1;
  }
  if (!r.Quit()) return -1;
  return clock.nsecsElapsed() / 1e9;
}

// ---- our client alone ----

double ClientCheck(const Account& a, bool known) {
  TSyncPop3Cli c;
  size_t lines = 0;
  c.OnMessageLine = [&](TSyncPop3Cli*) { ++lines; };
  c.Host = a.host;
  c.Port = a.port;
  c.UserName = a.user;
  c.PassWord = a.password;
  c.Timeout = 30;
  QElapsedTimer clock;
  clock.start();
  if (!c.OpenSync() || !c.StatSync() || c.MsgCount() != a.messages) return -1;
  for (int n = 1; n <= a.messages; ++n) {
    c.MsgNum = n;
    if (!c.UidlSync()) return -1;
    if (known) continue;
    c.MsgLines = 0;
    if (!c.TopSync()) return -1;
    c.MsgNum = n;
    if (!c.ListSync()) return -1;
  }
  if (!c.QuitSync()) return -1;
  return clock.nsecsElapsed() / 1e9;
}

// ---- ours ----

// The longest gap between two runs of a 5 ms timer, from Start to Stop (both ends count: the
// window is frozen as long as the check holds the thread without waiting).
class StallMeter {
 public:
  StallMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    longest_ = 0;
    ticks_ = 0;
    clock_.start();
    last_ = 0;
    timer_.start();
  }
  void Stop() {
    Tick();
    timer_.stop();
  }
  double LongestMs() const { return longest_ / 1e6; }
  int Ticks() const { return ticks_; }

 private:
  void Tick() {
    const qint64 now = clock_.nsecsElapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
    ++ticks_;
  }
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0, longest_ = 0;
  int ticks_ = 0;
};

struct OursRun {
  double first = -1, again = -1;    // seconds
  double firstStall = 0, againStall = 0;  // ms
};

// A fresh program state each run, so the first check finds every message new.
enum class ViewMode { kNone, kPlain, kPaced };

OursRun OursCheck(const Account& a, StallMeter& meter, ViewMode viewMode, bool table, int paceMs) {
  OursRun out;
  BusyLock::ResetForTests();
  TempDir dir;
  AppCore core(dir.File("Mobrelle.ini"));
  PrepareCore(core, true);
  core.Filters.Files.Folder = dir.Path();
  core.Settings.TestInternet = false;
  MailboxFields f;
  f.Label = a.label;
  f.UserName = a.user;
  f.Host = a.host;
  f.Password = a.password;
  f.IntervalText = "0";
  std::string error;
  if (!core.Mailboxes.Create(f, &error)) {
    std::fprintf(stderr, "ours: mailbox not created: %s\n", error.c_str());
    return out;
  }
  const int row = core.Mailboxes.Count() - 1;
  core.Mailboxes.Record(row).Client->Port = a.port;
  QuietView view;
  MessageListModel rows;
  std::unique_ptr<QAbstractItemView> list;
  QTimer pace;
  if (viewMode != ViewMode::kNone) {
    if (table) {
      auto* t = new QTableView;
      t->verticalHeader()->hide();
      t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
      t->setShowGrid(false);
      list.reset(t);
    } else {
      auto* t = new QTreeView;
      t->setRootIsDecorated(false);
      t->setUniformRowHeights(true);
      list.reset(t);
    }
    list->setModel(&rows);
    list->resize(900, 500);
    list->show();
    QCoreApplication::processEvents();
  }
  if (viewMode == ViewMode::kPaced) {
    pace.setInterval(paceMs);
    QObject::connect(&pace, &QTimer::timeout, [&list] {
      list->setUpdatesEnabled(true);
      list->repaint();
      list->setUpdatesEnabled(false);
    });
  }
  CheckCycle cycle(core, view, rows);

  for (int pass = 0; pass < 2; ++pass) {
    QElapsedTimer clock;
    meter.Start();
    clock.start();
    if (viewMode == ViewMode::kPaced) {
      list->setUpdatesEnabled(false);
      pace.start();
    }
    cycle.Timer1Timer(CheckSender::QueryMenu, row);
    if (viewMode == ViewMode::kPaced) {
      pace.stop();
      list->setUpdatesEnabled(true);
      list->repaint();
    }
    const double t = clock.nsecsElapsed() / 1e9;
    meter.Stop();
    if (rows.Count() != a.messages || view.Settling().Shown() != 0) {
      std::fprintf(stderr, "ours: %d rows listed of %d, %d alerts; log: %s\n", rows.Count(), a.messages,
                   view.Settling().Shown(), core.Log.Panel(1).c_str());
      return OursRun{};
    }
    (pass == 0 ? out.first : out.again) = t;
    (pass == 0 ? out.firstStall : out.againStall) = meter.LongestMs();
  }
  return out;
}

// ---- the program run as a script ----

QString ProgramPath() {
  const QByteArray dir = qgetenv("MOBRELLE_BIN_DIR");
  return (dir.isEmpty() ? QString(MOBRELLE_BIN_DIR) : QString::fromLocal8Bit(dir)) + "/mobrelle";
}

// Seconds from the start of the process to its end, or negative when it failed.
double ProgramCheck(const std::string& home, const Account& a) {
  QProcess p;
  QElapsedTimer clock;
  clock.start();
  p.start(ProgramPath(), {"--home", QString::fromStdString(home), "--check"});
  if (!p.waitForFinished(300000)) {
    p.kill();
    p.waitForFinished();
    std::fprintf(stderr, "mobrelle --check did not end\n");
    return -1;
  }
  const double t = clock.nsecsElapsed() / 1e9;
  const std::string out = p.readAllStandardOutput().toStdString();
  const std::string summary = "== " + a.label + ": " + std::to_string(a.messages) + " listed, 0 rejected\n";
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || out.find(summary) == std::string::npos) {
    std::fprintf(stderr, "mobrelle --check failed (%d): %s\n", p.exitCode(),
                 p.readAllStandardError().toStdString().c_str());
    return -1;
  }
  return t;
}

// ---- figures ----

struct Figures {
  std::vector<double> runs;
  bool Take(double t) {
    if (t < 0) return false;
    runs.push_back(t);
    return true;
  }
  double Best() const { return *std::min_element(runs.begin(), runs.end()); }
  double Worst() const { return *std::max_element(runs.begin(), runs.end()); }
  double Median() const {
    std::vector<double> s = runs;
    std::sort(s.begin(), s.end());
    return s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
  }
};

void Print(const std::string& what, const char* name, const Figures& ours, const Figures& raw) {
  std::printf("%-22s best   %-6s %7.3f s  reference %7.3f s  ratio %.3f\n", what.c_str(), name, ours.Best(),
              raw.Best(), ours.Best() / raw.Best());
  std::printf("%-22s median %-6s %7.3f s  reference %7.3f s  ratio %.3f\n", "", name, ours.Median(), raw.Median(),
              ours.Median() / raw.Median());
}

double CpuSeconds(int who = RUSAGE_SELF) {
  rusage u{};
  getrusage(who, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string TextArg(int argc, char** argv, const char* name) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  return {};
}

int Arg(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string viewArg = TextArg(argc, argv, "--view");
  if (!viewArg.empty() && viewArg != "plain" && viewArg != "paced") {
    std::fprintf(stderr, "--view takes plain or paced\n");
    return 2;
  }
  const ViewMode viewMode = viewArg.empty() ? ViewMode::kNone : viewArg == "plain" ? ViewMode::kPlain : ViewMode::kPaced;
  const bool withView = viewMode != ViewMode::kNone;
  const int paceMs = std::clamp(Arg(argc, argv, "--pace", 40), 10, 1000);
  bool table = false;
  for (int i = 1; i < argc; ++i) table = table || std::strcmp(argv[i], "--table") == 0;
  if (withView && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> app =
      withView ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  const int small = std::clamp(Arg(argc, argv, "--small", 2000), 1, 20000);
  const int large = std::clamp(Arg(argc, argv, "--large", 10000), 1, 50000);
  const int repeat = std::clamp(Arg(argc, argv, "--repeat", 5), 1, 20);
  const std::string profile = TextArg(argc, argv, "--profile");
  if (!profile.empty() && profile != "ours" && profile != "raw" && profile != "program") {
    std::fprintf(stderr, "--profile takes ours, raw or program\n");
    return 2;
  }

  auto message = [](int i) {
    return "From: Sender " + std::to_string(i) + " <s" + std::to_string(i) +
           "@example.test>\r\nTo: bench@example.test\r\nSubject: message " + std::to_string(i) +
           "\r\nDate: Thu, 10 Dec 2026 12:00:00 +0000\r\n\r\nBody.\r\n";
  };
  DovecotServer server;
  server.AddUser("small", "small-pass");
  server.AddUser("large", "large-pass");
  // One message each before the start, the rest delivered after: the start script copies its
  // initial messages one by one.
  server.AddMessage("small", message(1));
  server.AddMessage("large", message(1));
  if (!server.Start()) {
    std::fprintf(stderr, "Dovecot did not start: %s\n", server.Error().c_str());
    return 1;
  }
  for (int i = 2; i <= small; ++i) server.AddMessage("small", message(i));
  for (int i = 2; i <= large; ++i) server.AddMessage("large", message(i));
  const std::vector<Account> accounts = {
      {"Petite", server.Host(), server.Port(), "small", "small-pass", small},
      {"Grande", server.Host(), server.Port(), "large", "large-pass", large},
  };

  // The program's folder for "mobrelle --check": one mailbox, the large one.
  TempDir home;
  {
    IniFile ini(home.File("Mobrelle.ini"));
    MailboxListModel boxes(ini);
    boxes.LoadAll({});
    MailboxFields f;
    f.Label = accounts[1].label;
    f.UserName = accounts[1].user;
    f.Host = accounts[1].host;
    f.Password = accounts[1].password;
    f.IntervalText = "300";
    if (!boxes.Create(f)) return 1;
    ini.WriteInteger(f.Label, "Pop3Port", accounts[1].port);
  }

  StallMeter meter;
  // A first pass lets Dovecot index the new mail, so no contender pays for it.
  for (const Account& a : accounts)
    if (RawCheck(a, false) < 0 || (profile.empty() && OursCheck(a, meter, viewMode, table, paceMs).first < 0)) return 1;

  if (!profile.empty()) {
    const Account& a = accounts[1];
    for (int r = 0; r < repeat; ++r) {
      const double cpu0 = CpuSeconds(), child0 = CpuSeconds(RUSAGE_CHILDREN);
      double first = -1, again = -1;
      if (profile == "ours") {
        const OursRun o = OursCheck(a, meter, viewMode, table, paceMs);
        first = o.first;
        again = o.again;
      } else if (profile == "raw") {
        first = RawCheck(a, false);
        again = RawCheck(a, true);
      } else {
        first = ProgramCheck(home.Path(), a);
      }
      if (first < 0) return 1;
      std::printf("%s %d: first check %.3f s, check again %.3f s, cpu %.3f s (children %.3f s)\n", profile.c_str(),
                  a.messages, first, again, CpuSeconds() - cpu0, CpuSeconds(RUSAGE_CHILDREN) - child0);
    }
    return 0;
  }

  // Every run gives its wall time; the CPU time of this process (the program's, for the script
  // run) says where a difference in wall time comes from: the client's own work or the waits.
  struct Series {
    Figures ours, oursAgain, raw, rawAgain, client, clientAgain, firstStall, againStall, program;
    Figures oursCpu, rawCpu, clientCpu, programCpu;
  };
  std::vector<Series> series(accounts.size());
  for (int r = 0; r < repeat; ++r) {
    for (size_t k = 0; k < accounts.size(); ++k) {
      const Account& a = accounts[k];
      Series& s = series[k];
      const bool withProgram = k == 1;
      const int turns = withProgram ? 4 : 3;
      // Who goes first turns, so nobody always meets a freshly warmed server.
      for (int t = 0; t < turns; ++t) {
        const int who = (t + r) % turns;
        const double cpu0 = CpuSeconds(), child0 = CpuSeconds(RUSAGE_CHILDREN);
        if (who == 0) {
          const OursRun o = OursCheck(a, meter, viewMode, table, paceMs);
          if (!s.ours.Take(o.first) || !s.oursAgain.Take(o.again)) return 1;
          s.oursCpu.Take(CpuSeconds() - cpu0);
          s.firstStall.Take(o.firstStall);
          s.againStall.Take(o.againStall);
        } else if (who == 1) {
          if (!s.raw.Take(RawCheck(a, false)) || !s.rawAgain.Take(RawCheck(a, true))) return 1;
          s.rawCpu.Take(CpuSeconds() - cpu0);
        } else if (who == 2) {
          if (!s.client.Take(ClientCheck(a, false)) || !s.clientAgain.Take(ClientCheck(a, true))) return 1;
          s.clientCpu.Take(CpuSeconds() - cpu0);
        } else {
          if (!s.program.Take(ProgramCheck(home.Path(), a))) return 1;
          s.programCpu.Take(CpuSeconds(RUSAGE_CHILDREN) - child0);
        }
      }
    }
  }

  std::printf("%d runs each; ratio = ours / reference%s\n", repeat, withView ? ("; the list shown in a " + std::string(table ? "table" : "tree") + " view, " + viewArg).c_str() : "");
  for (size_t k = 0; k < accounts.size(); ++k) {
    const Series& s = series[k];
    const std::string n = std::to_string(accounts[k].messages);
    Print("first check " + n, "ours", s.ours, s.raw);
    Print("check again " + n, "ours", s.oursAgain, s.rawAgain);
    Print("client alone, first " + n, "client", s.client, s.raw);
    Print("client alone, again " + n, "client", s.clientAgain, s.rawAgain);
    if (!s.program.runs.empty()) Print("mobrelle --check " + n, "prog", s.program, s.raw);
    std::printf("%-22s cpu (median, first check and again) ours %.3f s  client alone %.3f s  reference %.3f s", "",
                s.oursCpu.Median(), s.clientCpu.Median(), s.rawCpu.Median());
    if (!s.programCpu.runs.empty()) std::printf("  mobrelle --check %.3f s (first only)", s.programCpu.Median());
    std::printf("\n");
    std::printf("%-22s longest stall  first check: median %.1f ms, worst %.1f ms;  check again: median %.1f ms, "
                "worst %.1f ms\n",
                ("event loop " + n).c_str(), s.firstStall.Median(), s.firstStall.Worst(), s.againStall.Median(),
                s.againStall.Worst());
  }
  return 0;
}
