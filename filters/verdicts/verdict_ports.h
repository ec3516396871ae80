#pragma once
// What judging a message needs from the windows: the reject alert, the sounds and the rejection
// balloon. The windows implement these; the headless check and the tests record or settle them.
// Texts are Windows-1252.

#include <cstdint>
#include <string>

namespace mobrelle {

enum class AlertField { Sender, Subject, To, Cc };

// The texts an alert shows, each already followed by its filter note.
struct AlertTexts {
  std::string Mailbox;  // display name of the mailbox being checked
  std::string Sender;   // lower case
  std::string Subject;
  std::string To;       // left as it is when the recipients show "<Destinataire vide>"
  std::string Cc;
  std::string Filter;   // text of the deciding filter, or empty
  uint64_t Size = 0;    // bytes
  std::string Date;     // display date
};

struct AlertResult {
  enum class Choice { Reject, Keep, Closed };
  Choice Pressed = Choice::Closed;  // Closed: the close box or the end of the countdown
  int SecondsLeft = 0;              // 0 after "&Rejeter", -1 once the countdown ran out
};

// The one alert window, reused for every message.
class RejectAlert {
 public:
  virtual ~RejectAlert() = default;
  // Empty message texts in the normal colour, before each message is judged.
  virtual void ClearFields() = 0;
  virtual void PaintRed(AlertField field) = 0;
  // Both recipient fields show "<Destinataire vide>" in red.
  virtual void ShowRecipientsEmpty() = 0;
  virtual bool RecipientsShowEmpty() const = 0;
  // The caption of the frame that says what caught the message; it stays until changed.
  virtual void SetFrameText(const std::string& text) = 0;
  // Shows the alert modally for a 'd' or 'g' verdict and returns how it ended. The caller holds
  // the busy lock meanwhile.
  virtual AlertResult Show(char verdict, int countdownSeconds, const AlertTexts& texts) = 0;
};

// Sounds and the tray balloon.
class RejectionAnnouncer {
 public:
  virtual ~RejectionAnnouncer() = default;
  virtual void RejectionSound() = 0;
  virtual void AcceptedSenderSound() = 0;
  virtual void NotifyRejection(const std::string& sender, const std::string& subject) = 0;
};

}  // namespace mobrelle
