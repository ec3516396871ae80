#pragma once
// What the tray icon shows, as plain logic: which icon set, which icon, whether it animates and the
// tip. The window asks it after each event that changes the icon and hands the result to TrayIcon.
// Texts are Windows-1252.

#include <cstddef>
#include <functional>
#include <string>

namespace mobrelle {

class MailboxListModel;

enum class TraySet { Normal, Animation };

// Icons of the normal set.
enum TrayIndex : int {
  kTrayActive = 0,        // scheduler on, no message waiting
  kTrayWaiting = 1,       // scheduler on, messages waiting
  kTrayInactive = 2,      // scheduler off
  kTrayError = 3,         // a mailbox in error, no message waiting
  kTrayErrorWaiting = 4,  // a mailbox in error, messages waiting
};
inline constexpr int kTrayNormalIcons = 5;
inline constexpr int kTrayAnimationFrames = 2;
inline constexpr int kTrayAnimationMs = 800;

// The system takes tips and balloons up to these lengths.
inline constexpr size_t kTrayTipMax = 127;
inline constexpr size_t kBalloonTitleMax = 63;
inline constexpr size_t kBalloonTextMax = 255;

struct TrayState {
  TraySet Set = TraySet::Normal;
  int Index = kTrayActive;  // icon of the normal set; an animation starts at frame 0
  bool Animating = false;
  std::string Tip = "Mobrelle";  // never longer than kTrayTipMax

  bool operator==(const TrayState&) const = default;
};

// What the tray asks of the window, at the moment it needs it.
struct TrayInputs {
  std::function<bool()> SchedulerActive;
  std::function<int()> MessageRows;
  std::function<bool()> AnyMailboxInError;
  std::function<std::string()> WindowCaption;
};

class TrayStateMachine {
 public:
  explicit TrayStateMachine(TrayInputs inputs);

  const TrayState& State() const { return state_; }
  // Called with the new state after every operation that changed it (TrayIcon::Apply, typically).
  void OnChange(std::function<void(const TrayState&)> listener) { listener_ = std::move(listener); }

  // Normal set, no animation: inactive, else waiting or active by the message list.
  void PlainTrayRefresh();
  // With a mailbox in error: normal set, no animation, error icon by the message list, true.
  // Otherwise nothing changes and the answer is false.
  bool ErrorIconShown();
  // The error icon when a mailbox is in error, the plain refresh otherwise.
  void TrayRefresh();
  // The end of a mailbox check, `rowsBefore` listed messages before it: animation when rows were
  // added, the plain icon of an empty list, the tip with the count, and then the error icon over
  // all of that. Answers whether rows were added, i.e. whether the new-mail sound is due.
  bool TrayAfterCheck(int rowsBefore);
  // The message list was emptied by the user.
  void ListCleared();
  // The scheduler was switched; call it once the window caption reads the new state. Off: the
  // inactive icon and the caption as tip. On: only the icon, by the message list.
  void SchedulerSwitched(bool on);

 private:
  void ShowNormal(int index);
  bool ShowErrorIcon();
  void SetTip(std::string tip);
  void Publish(const TrayState& before);

  TrayInputs in_;
  TrayState state_;
  std::function<void(const TrayState&)> listener_;
};

// The tip after a check: caption, " - ", the count and "message", plural above one.
std::string CheckTip(const std::string& caption, int rows);
// A text cut to at most `max` characters (bytes: the text is Windows-1252).
std::string CutText(const std::string& text, size_t max);
// Whether a row of the mailbox list shows "Erreur" in its count column.
bool AnyMailboxInError(const MailboxListModel& mailboxes);

}  // namespace mobrelle
