#pragma once
// How the network clients block: the caller starts an operation, then waits here in a local event
// loop until the operation reports completion or its deadline passes. Timers, commands and other
// clients keep running inside the wait, and a wait costs no CPU: the loop sleeps until an event.
//
// Waits nest: a check that waits on its server may run, inside that wait, another mailbox's check
// that waits on another server. The inner wait returns first.

#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace mobrelle {

class BlockingWait : public QObject {
  Q_OBJECT

 public:
  enum class Result { Done, TimedOut, Aborted };

  explicit BlockingWait(QObject* parent = nullptr);
  ~BlockingWait() override;

  // Waits until Done() or Abort(), or until `timeoutMs` pass without Rearm() (0 or less: no
  // deadline). A Done() that came before Wait() is kept: the wait then returns at once.
  Result Wait(int timeoutMs);
  bool Waiting() const { return loop_ != nullptr; }

  // Called by the operation's event handlers.
  void Done();
  void Abort();
  // Starts the deadline again: a silence limit, renewed by every piece of the reply.
  void Rearm();

 private:
  void Finish(Result r);

  QEventLoop* loop_ = nullptr;
  QTimer deadline_;
  bool pending_ = false;
  Result pendingResult_ = Result::Done;
  Result result_ = Result::Done;
};

}  // namespace mobrelle
