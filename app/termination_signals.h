#pragma once
// Turns SIGTERM and SIGINT into a Qt signal delivered by the event loop, so the program closes down
// (settings saved) instead of dying on the spot.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace mobrelle {

class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;

 signals:
  void terminationRequested();

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace mobrelle
