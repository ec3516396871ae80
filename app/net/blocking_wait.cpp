#include "app/net/blocking_wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QTimerEvent>
#include <chrono>
#include <cstdint>

namespace mobrelle {
namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// When a wait on this thread last came back from running the events.
thread_local int64_t lastEventsMs = INT64_MIN / 2;

// The wait runs the event dispatcher itself instead of a QEventLoop: leaving a QEventLoop wakes the
// dispatcher through its pipe every time, a cost a client making thousands of short calls pays on
// each of them. The price is that the application's quit does not know this loop, so the quit
// request (the Quit event that quit() sends) is watched here.
class QuitWatch : public QObject {
 public:
  explicit QuitWatch(QCoreApplication* app) : QObject(app) { app->installEventFilter(this); }

  // The watch of the application, when there is one and we are on its thread.
  static QuitWatch* Get() {
    static QPointer<QuitWatch> watch;
    QCoreApplication* app = QCoreApplication::instance();
    if (!watch && app && QThread::currentThread() == app->thread()) watch = new QuitWatch(app);
    return watch;
  }

  // Whether the application has really been told to end: a quit request may be refused (a window
  // that does not close). Once the application ends, an event loop started returns -1 at once.
  bool Quitting() {
    if (!asked_) return false;
    QEventLoop probe;
    QTimer::singleShot(0, &probe, [&probe] { probe.exit(1); });
    asked_ = probe.exec() == -1;
    return asked_;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) asked_ = true;
    return false;
  }

 private:
  bool asked_ = false;
};

}  // namespace

// The watch starts with the first wait object, so a quit asked before any wait is seen too.
BlockingWait::BlockingWait(QObject* parent) : QObject(parent) { QuitWatch::Get(); }

BlockingWait::~BlockingWait() {
  // Deleted from a handler inside its own wait: the wait sees it is gone and returns.
  deadline_.stop();
  if (waiting_) WakeDispatcher();
}

void BlockingWait::WakeDispatcher() {
  // The glib dispatcher returns after every source it dispatched, so the wait sees at once that it
  // is over. Others handle the posted events first and may then sleep until the next event (after a
  // Done() from a queued call, a deleteLater()): they are woken.
  QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(thread());
  if (d && !d->inherits("QEventDispatcherGlib")) d->interrupt();
}

void BlockingWait::ArmFor(int64_t ms) {
  if (ms < 1) ms = 1;
  armedMs_ = ms;
  deadline_.start(static_cast<int>(ms), Qt::PreciseTimer, this);
}

BlockingWait::Result BlockingWait::Wait(int timeoutMs) {
  if (waiting_) return Result::Aborted;  // one wait per object at a time
  if (pending_) {
    pending_ = false;
    return pendingResult_;
  }
  QuitWatch* watch = QuitWatch::Get();
  if (watch && watch->Quitting()) return Result::TimedOut;
  if (!QAbstractEventDispatcher::instance(thread())) QEventLoop make;  // its constructor provides one
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread());

  waiting_ = true;
  finished_ = false;
  timeoutMs_ = timeoutMs;
  lastActiveMs_ = NowMs();
  // A timer still running from the previous wait fires no later than this wait's deadline when its
  // interval is not longer: it then only starts again for the time that is left.
  if (timeoutMs <= 0)
    deadline_.stop();
  else if (!deadline_.isActive() || armedMs_ > timeoutMs)
    ArmFor(timeoutMs);

  QPointer<BlockingWait> self(this);
  const QEventLoop::ProcessEventsFlags flags =
      QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents | QEventLoop::EventLoopExec;
  while (!finished_) {
    dispatcher->processEvents(flags);
    lastEventsMs = NowMs();
    if (!self) return Result::Aborted;  // deleted by a handler that ran inside the wait
    if (!finished_ && watch && watch->Quitting()) Finish(Result::TimedOut);
    if (!self) return Result::Aborted;
  }
  waiting_ = false;
  return result_;
}

void BlockingWait::timerEvent(QTimerEvent* event) {
  if (event->timerId() != deadline_.timerId()) {
    QObject::timerEvent(event);
    return;
  }
  if (!waiting_ || finished_ || timeoutMs_ <= 0) {
    deadline_.stop();
    return;
  }
  const int64_t quiet = NowMs() - lastActiveMs_;
  if (quiet >= timeoutMs_) {
    deadline_.stop();
    Finish(Result::TimedOut);
    return;
  }
  ArmFor(timeoutMs_ - quiet);
}

void BlockingWait::Finish(Result r) {
  if (!waiting_) {
    // Completed before anyone waited (a reply already buffered, an error raised at once).
    pending_ = true;
    pendingResult_ = r;
    return;
  }
  result_ = r;
  if (finished_) return;
  finished_ = true;
  WakeDispatcher();
}

void BlockingWait::Done() { Finish(Result::Done); }
void BlockingWait::Abort() { Finish(Result::Aborted); }

void BlockingWait::Rearm() { lastActiveMs_ = NowMs(); }

int64_t BlockingWait::SinceEventsMs() { return NowMs() - lastEventsMs; }

}  // namespace mobrelle
