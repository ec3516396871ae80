#include "app/check_lock.h"

#include "app/single_instance.h"

namespace mobrelle {

CheckLock::CheckLock(const QString& folder) : lock_(std::make_unique<QLockFile>(Path(folder))) {
  lock_->setStaleLockTime(0);  // a holder that died is recognised by its process id
}

bool CheckLock::TryLock(int waitMs) { return lock_->tryLock(waitMs); }

void CheckLock::Unlock() { lock_->unlock(); }

QString CheckLock::Path(const QString& folder) { return SingleInstance::LockPath(folder) + ".check"; }

}  // namespace mobrelle
