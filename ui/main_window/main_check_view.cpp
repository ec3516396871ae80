#include "ui/main_window/main_check_view.h"

#include <QApplication>
#include <QMessageBox>

#include "app/qt_text.h"
#include "ui/reject_alert/reject_alert_dialog.h"

namespace mobrelle {

MainCheckView::MainCheckView(const Widgets& widgets, RejectAlertDialog* alert) : w_(widgets), alert_(alert) {}

MainCheckView::~MainCheckView() {
  while (screenBusy_-- > 0) QApplication::restoreOverrideCursor();
}

void MainCheckView::SetListBusy(bool busy) {
  w_.List->setEnabled(!busy);
  if (busy)
    w_.List->setCursor(Qt::BusyCursor);
  else
    w_.List->unsetCursor();
}

void MainCheckView::SetScreenBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++screenBusy_;
  } else if (screenBusy_ > 0) {
    QApplication::restoreOverrideCursor();
    --screenBusy_;
  }
}

void MainCheckView::ShowInterruptButton(bool visible) { w_.Interrupt->setVisible(visible); }

void MainCheckView::EnableInterruptButton(bool enabled, const std::string& hint) {
  w_.Interrupt->setEnabled(enabled);
  if (!hint.empty()) w_.Interrupt->setToolTip(ToQt(hint));
}

void MainCheckView::ShowVersionLabel() {
  w_.LabelVersion->show();
  w_.Label1->hide();
}

void MainCheckView::ShowCountLabel(const std::string& text) {
  w_.Label1->setText(ToQt(text));
  w_.Label1->show();
  w_.LabelVersion->hide();
}

void MainCheckView::Beep() { QApplication::beep(); }

void MainCheckView::FocusMessageList() {
  if (w_.Window->isVisible() && w_.Window->isActiveWindow() && !w_.Window->isMinimized()) w_.List->setFocus();
}

bool MainCheckView::AlertStopDown() const { return alert_ && alert_->StopSwitchDown(); }

void MainCheckView::ReleaseAlertStop() {
  if (alert_) alert_->ReleaseStopSwitch();
}

void MainCheckView::ShowMessage(const std::string& text) { QMessageBox::warning(w_.Window, "Mobrelle", ToQt(text)); }

RejectAlert* MainCheckView::Alert() { return alert_; }

}  // namespace mobrelle
