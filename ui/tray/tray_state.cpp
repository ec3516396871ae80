#include "ui/tray/tray_state.h"

#include <utility>

#include "app/mailbox_list_model.h"

namespace mobrelle {

TrayStateMachine::TrayStateMachine(TrayInputs inputs) : in_(std::move(inputs)) {}

void TrayStateMachine::ShowNormal(int index) {
  state_.Set = TraySet::Normal;
  state_.Animating = false;
  state_.Index = index;
}

void TrayStateMachine::SetTip(std::string tip) { state_.Tip = CutText(tip, kTrayTipMax); }

void TrayStateMachine::Publish(const TrayState& before) {
  if (listener_ && !(state_ == before)) listener_(state_);
}

void TrayStateMachine::PlainTrayRefresh() {
  const TrayState before = state_;
  if (!in_.SchedulerActive())
    ShowNormal(kTrayInactive);
  else
    ShowNormal(in_.MessageRows() > 0 ? kTrayWaiting : kTrayActive);
  Publish(before);
}

bool TrayStateMachine::ShowErrorIcon() {
  if (!in_.AnyMailboxInError()) return false;
  ShowNormal(in_.MessageRows() > 0 ? kTrayErrorWaiting : kTrayError);
  return true;
}

bool TrayStateMachine::ErrorIconShown() {
  const TrayState before = state_;
  const bool shown = ShowErrorIcon();
  Publish(before);
  return shown;
}

void TrayStateMachine::TrayRefresh() {
  if (!ErrorIconShown()) PlainTrayRefresh();
}

bool TrayStateMachine::TrayAfterCheck(int rowsBefore) {
  const TrayState before = state_;
  const int rows = in_.MessageRows();
  const bool added = rows > rowsBefore;
  if (rows > 0) {
    // Fewer or as many rows as before leave the icon as it was, an animation included.
    if (added) {
      state_.Set = TraySet::Animation;
      state_.Index = 0;
      state_.Animating = true;
    }
  } else {
    ShowNormal(in_.SchedulerActive() ? kTrayActive : kTrayInactive);
  }
  SetTip(CheckTip(in_.WindowCaption(), rows));
  // A mailbox in error wins over the animation just started; the icon only sees the outcome.
  ShowErrorIcon();
  Publish(before);
  return added;
}

void TrayStateMachine::ListCleared() {
  const TrayState before = state_;
  ShowNormal(in_.SchedulerActive() ? kTrayActive : kTrayInactive);
  SetTip(in_.WindowCaption());
  Publish(before);
}

void TrayStateMachine::SchedulerSwitched(bool on) {
  const TrayState before = state_;
  if (!on) {
    ShowNormal(kTrayInactive);
    SetTip(in_.WindowCaption());
  } else if (state_.Set == TraySet::Normal) {
    // Only the icon; the tip keeps the inactive caption until the next check sets it, and an
    // animation started by a check meanwhile runs on.
    state_.Index = in_.MessageRows() > 0 ? kTrayWaiting : kTrayActive;
  }
  Publish(before);
}

std::string CheckTip(const std::string& caption, int rows) {
  std::string tip = caption + " - " + std::to_string(rows) + " message";
  if (rows > 1) tip += 's';
  return tip;
}

std::string CutText(const std::string& text, size_t max) {
  return text.size() <= max ? text : text.substr(0, max);
}

bool AnyMailboxInError(const MailboxListModel& mailboxes) {
  for (int row = 0; row < mailboxes.Count(); ++row)
    if (mailboxes.SubItemText(row, MailboxListModel::kCount) == "Erreur") return true;
  return false;
}

}  // namespace mobrelle
