#pragma once
// The view of a check without a window (mobrelle --check, benchmarks): nothing is shown, and the
// alert settles at once as its countdown would have ('d' deletes, 'g' keeps).

#include <functional>
#include <string>

#include "filters/verdicts/verdict_ports.h"
#include "polling/check/check_ports.h"

namespace mobrelle {

class SettlingAlert : public RejectAlert {
 public:
  void ClearFields() override { empty_ = false; }
  void PaintRed(AlertField) override {}
  void ShowRecipientsEmpty() override { empty_ = true; }
  bool RecipientsShowEmpty() const override { return empty_; }
  void SetFrameText(const std::string&) override {}
  AlertResult Show(char, int, const AlertTexts&) override {
    ++shown_;
    return {AlertResult::Choice::Closed, -1};
  }
  int Shown() const { return shown_; }

 private:
  bool empty_ = false;
  int shown_ = 0;
};

class QuietView : public CheckView {
 public:
  // `message` receives the texts of the message boxes (Windows-1252); may be empty.
  explicit QuietView(std::function<void(const std::string&)> message = {}) : message_(std::move(message)) {}
  void SetListBusy(bool) override {}
  void SetScreenBusy(bool) override {}
  void ShowInterruptButton(bool) override {}
  void EnableInterruptButton(bool, const std::string&) override {}
  void ShowVersionLabel() override {}
  void ShowCountLabel(const std::string&) override {}
  void TrayAfterCheck(int) override {}
  void ErrorIconShown() override {}
  void EnableClearList(bool) override {}
  void Beep() override {}
  void FocusMessageList() override {}
  bool AlertStopDown() const override { return false; }
  void ReleaseAlertStop() override {}
  void ShowMessage(const std::string& text) override {
    if (message_) message_(text);
  }
  RejectAlert* Alert() override { return &alert_; }
  RejectionAnnouncer* Announcer() override { return nullptr; }
  const SettlingAlert& Settling() const { return alert_; }

 private:
  std::function<void(const std::string&)> message_;
  SettlingAlert alert_;
};

}  // namespace mobrelle
