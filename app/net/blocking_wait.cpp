#include "app/net/blocking_wait.h"

namespace mobrelle {

BlockingWait::BlockingWait(QObject* parent) : QObject(parent) {
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] { Finish(Result::TimedOut); });
}

BlockingWait::~BlockingWait() {
  // Deleted from a handler inside its own wait: let the wait return instead of hanging on.
  if (loop_) loop_->exit();
}

BlockingWait::Result BlockingWait::Wait(int timeoutMs) {
  if (pending_) {
    pending_ = false;
    return pendingResult_;
  }
  QEventLoop loop;
  loop_ = &loop;
  if (timeoutMs > 0) deadline_.start(timeoutMs);
  QPointer<BlockingWait> self(this);
  loop.exec(QEventLoop::AllEvents);
  if (!self) return Result::Aborted;
  loop_ = nullptr;
  deadline_.stop();
  return result_;
}

void BlockingWait::Finish(Result r) {
  if (!loop_) {
    // Completed before anyone waited (a reply already buffered, an error raised at once).
    pending_ = true;
    pendingResult_ = r;
    return;
  }
  result_ = r;
  deadline_.stop();
  loop_->exit();
}

void BlockingWait::Done() { Finish(Result::Done); }
void BlockingWait::Abort() { Finish(Result::Aborted); }

void BlockingWait::Rearm() {
  if (deadline_.isActive()) deadline_.start();
}

}  // namespace mobrelle
