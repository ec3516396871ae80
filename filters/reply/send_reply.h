#pragma once
// Sending the reply to a rejected sender, and the test message of the reply settings, over SMTP.
// Both block while the user interface keeps running. Texts are Windows-1252.

#include <functional>
#include <string>

#include "filters/reply/reply_mail.h"
#include "filters/reply/reply_settings.h"

namespace mobrelle {

class IniFile;
class StatusLog;

using ShowMessageFn = std::function<void(const std::string& text)>;

// Answers the sender of a rejected message with reply code `code` (its first letter chooses the
// reply address, its second what the body includes). The reply address and the body come from
// `current` as typed; the server and the account name from the saved settings in `ini`. Logs the
// reply, shows the server's last reply line in status bar panel 1, and shows "Erreur SMTP" when
// something goes wrong beyond a refusal by the server. `port` is the SMTP port.
void SendReply(const std::string& code, const ReplyMessage& message, const ReplySettings& current, const IniFile& ini,
               StatusLog& log, const ShowMessageFn& showMessage, const std::string& port = "25");

// What the "Tester" button of the reply settings talks to.
struct SmtpTestUi {
  // Asks for the address that receives the test; empty when cancelled or left empty.
  std::function<std::string(const std::string& caption, const std::string& prompt)> AskAddress;
  // The label that shows the server's replies.
  std::function<void(const std::string& text)> SetResponseLabel;
  ShowMessageFn ShowMessage;
  // Hour-glass cursor on and off; may be empty.
  std::function<void(bool busy)> SetBusyCursor;
};

// Sends a test message with the settings as typed (saved or not). Returns the label's final text.
// A test asked for while one runs (from inside its wait) is ignored.
std::string TestSmtpSettings(const ReplySettings& typed, const SmtpTestUi& ui, const std::string& port = "25");

}  // namespace mobrelle
