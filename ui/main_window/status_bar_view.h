#pragma once
// The status bar of the main window: the event log box and the texts of panels 1 and 2.

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>

namespace mobrelle {

class StatusLog;

class StatusBarView : public QObject {
  Q_OBJECT

 public:
  StatusBarView(QStatusBar* bar, StatusLog& log);

  QComboBox* ComboBoxStatus() const { return combo_; }
  QLabel* Panel1() const { return panel1_; }
  // Shows what the log holds now.
  void Refresh(int index);

 private:
  QStatusBar* bar_;
  StatusLog& log_;
  QComboBox* combo_;
  QLabel* panel1_;
  QLabel* panel2_;
};

}  // namespace mobrelle
