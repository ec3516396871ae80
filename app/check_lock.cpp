#include "app/check_lock.h"

#include <QEventLoop>
#include <QTimer>

#include "app/single_instance.h"

namespace mobrelle {

CheckLock::CheckLock(const QString& folder) : lock_(std::make_unique<QLockFile>(Path(folder))) {
  lock_->setStaleLockTime(0);  // a holder that died is recognised by its process id
}

bool CheckLock::TryLock(int waitMs) { return lock_->tryLock(waitMs); }

void CheckLock::Unlock() { lock_->unlock(); }

bool WaitForCheckToEnd(const QString& folder, const std::function<void()>& waiting) {
  CheckLock lock(folder);
  bool waited = false;
  while (!lock.TryLock(0)) {
    if (!waited && waiting) waiting();
    waited = true;
    QEventLoop pause;
    QTimer::singleShot(250, &pause, &QEventLoop::quit);
    pause.exec();
  }
  lock.Unlock();
  return waited;
}

QString CheckLock::Path(const QString& folder) { return SingleInstance::LockPath(folder) + ".check"; }

}  // namespace mobrelle
