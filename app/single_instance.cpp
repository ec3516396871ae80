#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace mobrelle {
namespace {

QString RuntimeFolder() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  return dir;
}

QString FolderKey(const QString& folder) {
  const QString canonical = QDir(folder).canonicalPath().isEmpty() ? folder : QDir(folder).canonicalPath();
  return QString::fromLatin1(QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

}  // namespace

QString SingleInstance::LockPath(const QString& folder) {
  return RuntimeFolder() + "/mobrelle-" + FolderKey(folder) + ".lock";
}

QString SingleInstance::SocketName(const QString& folder) {
  return RuntimeFolder() + "/mobrelle-" + FolderKey(folder) + ".socket";
}

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent), folder_(folder) {}

SingleInstance::~SingleInstance() {
  server_.close();
  if (lock_) lock_->unlock();
}

bool SingleInstance::Acquire() {
  lock_ = std::make_unique<QLockFile>(LockPath(folder_));
  lock_->setStaleLockTime(0);  // a lock is stale only when its process is gone
  if (lock_->tryLock(0)) {
    Listen();
    return true;
  }
  if (lock_->error() == QLockFile::LockFailedError) {
    lock_.reset();
    SendRequest(folder_, kRequestStartedAgain);
    return false;
  }
  // The runtime folder cannot hold a lock: run rather than refuse to start at all.
  lock_.reset();
  return true;
}

bool SingleInstance::IsRunning(const QString& folder) {
  QLockFile probe(LockPath(folder));
  probe.setStaleLockTime(0);
  if (probe.tryLock(0)) {
    probe.unlock();
    return false;
  }
  return probe.error() == QLockFile::LockFailedError;
}

void SingleInstance::Listen() {
  const QString name = SocketName(folder_);
  QLocalServer::removeServer(name);  // a socket file left by a killed instance
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(name)) return;
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_.nextPendingConnection()) {
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      connect(s, &QLocalSocket::readyRead, this, [this, s] {
        while (s->canReadLine()) {
          bool ok = false;
          const int wParam = s->readLine().trimmed().toInt(&ok);
          if (ok) emit requestReceived(wParam);
        }
      });
    }
  });
}

bool SendRequest(const QString& folder, int wParam, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(SingleInstance::SocketName(folder));
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(QByteArray::number(wParam) + "\n");
  const bool ok = socket.waitForBytesWritten(timeoutMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
  return ok;
}

}  // namespace mobrelle
