#pragma once
// What a mailbox check shows in the main window: the message list's busy state, the stop button,
// the count and version labels, the reject alert and its stop switch.

#include <QAbstractItemView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <functional>

#include "polling/check/check_ports.h"

namespace mobrelle {

class RejectAlertDialog;

class MainCheckView : public CheckView {
 public:
  struct Widgets {
    QWidget* Window = nullptr;
    QAbstractItemView* List = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LabelVersion = nullptr;
    QPushButton* Interrupt = nullptr;
  };
  MainCheckView(const Widgets& widgets, RejectAlertDialog* alert);
  ~MainCheckView() override;

  void SetListBusy(bool busy) override;
  void SetScreenBusy(bool busy) override;
  void ShowInterruptButton(bool visible) override;
  void EnableInterruptButton(bool enabled, const std::string& hint) override;
  void ShowVersionLabel() override;
  void ShowCountLabel(const std::string& text) override;
  void TrayAfterCheck(int rowsBefore) override { if (OnTrayAfterCheck) OnTrayAfterCheck(rowsBefore); }
  void ErrorIconShown() override { if (OnErrorIconShown) OnErrorIconShown(); }
  void EnableClearList(bool enabled) override { if (OnEnableClearList) OnEnableClearList(enabled); }
  void Beep() override;
  void FocusMessageList() override;
  bool AlertStopDown() const override;
  void ReleaseAlertStop() override;
  void ShowMessage(const std::string& text) override;
  RejectAlert* Alert() override;
  RejectionAnnouncer* Announcer() override { return announcer_; }

  // The tray and the clear-list command belong to the window; it sets these.
  std::function<void(int rowsBefore)> OnTrayAfterCheck;
  std::function<void()> OnErrorIconShown;
  std::function<void(bool)> OnEnableClearList;
  void SetAnnouncer(RejectionAnnouncer* announcer) { announcer_ = announcer; }

 private:
  Widgets w_;
  RejectAlertDialog* alert_;
  RejectionAnnouncer* announcer_ = nullptr;
  int screenBusy_ = 0;  // override cursors pushed, popped again on destruction
};

}  // namespace mobrelle
