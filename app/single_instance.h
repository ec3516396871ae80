#pragma once
// One running instance per program folder. The first start holds a lock file in the user's runtime
// folder and listens on a local socket only this user can open; a second start sends the running
// instance the request "started again" and ends.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

namespace mobrelle {

// Private request numbers, after the window message the program used to post.
inline constexpr int kRequestStartedAgain = 0;
inline constexpr int kRequestDeferredStartup = 1;

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `folder` is the program folder: one instance per folder.
  explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this process is the only instance: it now holds the lock and listens for requests.
  // False when another instance runs; the request has then been sent to it if it could be reached.
  bool Acquire();

  // Whether an instance holds the folder now (for commands that must not run beside one).
  static bool IsRunning(const QString& folder);

  // The lock file and socket name of a folder (in the runtime folder).
  static QString LockPath(const QString& folder);
  static QString SocketName(const QString& folder);

 signals:
  // A request from another start of the program.
  void requestReceived(int wParam);

 private:
  void Listen();

  QString folder_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

// Sends one request to the instance running on `folder`; false when none answered.
bool SendRequest(const QString& folder, int wParam, int timeoutMs = 2000);

}  // namespace mobrelle
