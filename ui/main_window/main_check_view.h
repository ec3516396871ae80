#pragma once
// What a mailbox check shows in the main window: the message list's busy state, the stop button,
// the count and version labels, the reject alert and its stop switch.

#include <QAbstractItemView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

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
  void TrayAfterCheck(int) override {}
  void ErrorIconShown() override {}
  void EnableClearList(bool) override {}
  void Beep() override;
  void FocusMessageList() override;
  bool AlertStopDown() const override;
  void ReleaseAlertStop() override;
  void ShowMessage(const std::string& text) override;
  RejectAlert* Alert() override;
  RejectionAnnouncer* Announcer() override { return nullptr; }

 private:
  Widgets w_;
  RejectAlertDialog* alert_;
  int screenBusy_ = 0;  // override cursors pushed, popped again on destruction
};

}  // namespace mobrelle
