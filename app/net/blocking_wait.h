#pragma once
// How the network clients block: the caller starts an operation, then waits here, running the
// thread's events, until the operation reports completion or its deadline passes. Timers, commands
// and other clients keep running inside the wait, and a wait costs no CPU: it sleeps until an event.
//
// Waits nest: a check that waits on its server may run, inside that wait, another mailbox's check
// that waits on another server. The inner wait returns first.

#include <QBasicTimer>
#include <QObject>
#include <cstdint>

namespace mobrelle {

class BlockingWait : public QObject {
  Q_OBJECT

 public:
  // TimedOut also when the application quits during the wait (or has quit before it): the
  // operation cannot go on.
  enum class Result { Done, TimedOut, Aborted };

  explicit BlockingWait(QObject* parent = nullptr);
  ~BlockingWait() override;

  // Waits until Done() or Abort(), or until `timeoutMs` pass without Rearm() (0 or less: no
  // deadline). A Done() that came before Wait() is kept: the wait then returns at once. A Wait()
  // on an object that is already waiting returns Aborted at once. Deleting the object from a
  // handler inside its wait ends the wait with Aborted.
  Result Wait(int timeoutMs);
  bool Waiting() const { return waiting_; }
  // Milliseconds since a wait on this thread last ran the thread's events (very large before the
  // first). A client may read a reply that is already arriving without a round of the event loop,
  // as long as that loop has run a moment ago: timers and the window must not wait on it long.
  static int64_t SinceEventsMs();

  // Called by the operation's event handlers.
  void Done();
  void Abort();
  // Starts the deadline again: a silence limit, renewed by every piece of the reply.
  void Rearm();

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void Finish(Result r);
  void ArmFor(int64_t ms);
  void WakeDispatcher();

  bool waiting_ = false;
  bool finished_ = false;
  bool pending_ = false;
  Result pendingResult_ = Result::Done;
  Result result_ = Result::Done;
  // The silence limit. A client makes thousands of short calls and gets a line for each, so the
  // timer is not restarted for every one: Rearm() only notes the time, and a timer that fires early
  // for that reason starts again for what is left. Between waits it may keep running, so a run of
  // short calls does not register a timer each.
  QBasicTimer deadline_;
  int timeoutMs_ = 0;
  int64_t armedMs_ = 0;       // interval the timer was last started with
  int64_t lastActiveMs_ = 0;  // start of the wait or last Rearm(), on the monotonic clock
};

}  // namespace mobrelle
