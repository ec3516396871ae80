#pragma once
// The POP3 client of one mailbox. For now it holds the account's connection settings; the session
// itself (connect, login, commands) is built on top of them.

#include <QObject>
#include <string>

namespace mobrelle {

class TSyncPop3Cli : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDefaultPort = 110;   // the POP3 service
  static constexpr int kDefaultTimeout = 15;  // seconds

  explicit TSyncPop3Cli(QObject* parent = nullptr);
  ~TSyncPop3Cli() override;

  // Windows-1252 texts, as everywhere in the engine.
  std::string Host;
  int Port = kDefaultPort;
  std::string UserName;
  std::string PassWord;
  int Timeout = kDefaultTimeout;

  // True while a session is open: a mailbox whose client is connected is being checked.
  bool Connected() const { return connected_; }
  // Closes the connection at once, whatever is in progress.
  void Abort();

 protected:
  bool connected_ = false;
};

}  // namespace mobrelle
