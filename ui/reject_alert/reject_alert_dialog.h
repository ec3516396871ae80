#pragma once
// The window that asks about a caught message: its details, a countdown after which the verdict's
// default happens, "&Rejeter" and "&Garder", and a switch that stops the polling. Created once and
// reused for every alert.

#include <QDialog>
#include <QTimer>
#include <memory>
#include <string>

#include "filters/verdicts/verdict_ports.h"

namespace Ui {
class RejectAlertDialog;
}

class QLabel;

namespace mobrelle {

class RejectAlertDialog : public QDialog, public RejectAlert {
  Q_OBJECT

 public:
  // `rejectEnableDelay`: seconds during which "&Rejeter" stays disabled, so that a key pressed
  // while the window pops up cannot reject a message.
  explicit RejectAlertDialog(int rejectEnableDelay = 3, QWidget* parent = nullptr);
  ~RejectAlertDialog() override;

  // RejectAlert.
  void ClearFields() override;
  void PaintRed(AlertField field) override;
  void ShowRecipientsEmpty() override;
  bool RecipientsShowEmpty() const override;
  void SetFrameText(const std::string& text) override;
  AlertResult Show(char verdict, int countdownSeconds, const AlertTexts& texts) override;

  void SetRejectEnableDelay(int seconds) { rejectEnableDelay_ = seconds; }
  // One tick per second; tests shorten it.
  void SetTickInterval(int milliseconds) { Timer1.setInterval(milliseconds); }
  int SecondsLeft() const { return secondsLeft_; }

  // The polling stop switch. The main window releases it when the user asks for a check.
  bool StopSwitchDown() const;
  void ReleaseStopSwitch();

 signals:
  // The user pressed the stop switch; `down` is its new state.
  void SpeedButtonOffClicked(bool down);

 public slots:
  void done(int result) override;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void Timer1Timer();
  void Button1Click();
  void Button2Click();
  QLabel* FieldLabel(AlertField field) const;

  std::unique_ptr<Ui::RejectAlertDialog> ui_;
  QTimer Timer1;
  int rejectEnableDelay_;
  int countdown_ = 0;
  int secondsLeft_ = 0;
  bool rejectWasDefault_ = false;
  bool recipientsEmpty_ = false;
  bool showing_ = false;
  bool frameSet_ = false;
  AlertResult::Choice choice_ = AlertResult::Choice::Closed;
};

}  // namespace mobrelle
