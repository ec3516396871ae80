#pragma once
// What a check of a mailbox needs from the windows. The main window implements it; the headless
// check prints instead; tests record.
// Texts are Windows-1252.

#include <string>

#include "filters/verdicts/message_judge.h"

namespace mobrelle {

class CheckView {
 public:
  virtual ~CheckView() = default;
  // The message list shows the busy cursor and refuses input while a check runs.
  virtual void SetListBusy(bool busy) = 0;
  // The whole screen's busy cursor, while every mailbox is checked.
  virtual void SetScreenBusy(bool busy) = 0;
  // The stop button: shown from the first message on, enabled when the mailbox holds messages.
  virtual void ShowInterruptButton(bool visible) = 0;
  virtual void EnableInterruptButton(bool enabled, const std::string& hint) = 0;
  // The version label replaces the count label during a check; the count label comes back at its
  // end with the number of listed messages.
  virtual void ShowVersionLabel() = 0;
  virtual void ShowCountLabel(const std::string& text) = 0;
  virtual void TrayAfterCheck(int rowsBefore) = 0;
  virtual void ErrorIconShown() = 0;
  virtual void EnableClearList(bool enabled) = 0;
  virtual void Beep() = 0;
  virtual void FocusMessageList() = 0;
  // The alert's stop switch: down, a running check stops before its next new message.
  virtual bool AlertStopDown() const = 0;
  virtual void ReleaseAlertStop() = 0;
  // A message box, for the errors of a reply.
  virtual void ShowMessage(const std::string& text) = 0;
  // The alert and the announcements of a rejection; may be null.
  virtual RejectAlert* Alert() = 0;
  virtual RejectionAnnouncer* Announcer() = 0;
};

}  // namespace mobrelle
