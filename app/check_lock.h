#pragma once
// The lock that keeps a command-line check and a window off the same program folder at the same
// time: both save the same lists, and one would lose the other's history and counters.

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

namespace mobrelle {

class CheckLock {
 public:
  explicit CheckLock(const QString& folder);
  // Takes the lock, waiting at most `waitMs` for another holder to let go.
  bool TryLock(int waitMs = 0);
  void Unlock();
  static QString Path(const QString& folder);

 private:
  std::unique_ptr<QLockFile> lock_;
};

// Runs the event loop until no command-line check holds `folder`. `waiting` is called once, when
// there is one to wait for (to say so). Returns whether it had to wait.
bool WaitForCheckToEnd(const QString& folder, const std::function<void()>& waiting = {});

}  // namespace mobrelle
