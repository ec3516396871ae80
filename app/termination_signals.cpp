#include "app/termination_signals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mobrelle {
namespace {
int g_fds[2] = {-1, -1};

void OnSignal(int) {
  const char b = 1;
  // Only async-signal-safe work here: one byte into the pipe; the event loop does the rest.
  [[maybe_unused]] ssize_t n = ::write(g_fds[0], &b, 1);
}
}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (g_fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(g_fds[1], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    char b;
    [[maybe_unused]] ssize_t n = ::read(g_fds[1], &b, 1);
    emit terminationRequested();
  });
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
}

TerminationSignals::~TerminationSignals() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
}

}  // namespace mobrelle
