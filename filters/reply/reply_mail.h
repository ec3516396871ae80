#pragma once
// The reply to a rejected sender and the test message of the reply settings, as texts: addresses,
// subject and body lines. Texts are Windows-1252.

#include <string>
#include <vector>

namespace mobrelle {

// What the rejected message gives the reply.
struct ReplyMessage {
  std::string sender;   // sender text
  std::string subject;  // raw Subject header, encoded words and all
  std::string to;       // To text
  std::string cc;       // Cc text
};

struct ReplyMail {
  std::string from;       // header From and envelope sender
  std::string recipient;  // the only recipient
  std::string subject;
  std::vector<std::string> lines;
};

// The reply address for reply code `code`: 's' the specific address, 'v' the address the spammer
// wrote to, anything else "Postmaster@" its domain. The domain and the address are those of the
// last address of the To text.
std::string ReplyAddress(const std::string& code, const std::string& to, const std::string& specific);

// The reply: the memo text, then the To text when the second letter of the code is 'a' or 'x',
// then the Cc text when it is 'c' or 'x'.
ReplyMail ComposeReply(const std::string& code, const ReplyMessage& message, const std::string& memoText,
                       const std::string& specificSender);

// The test message sent to `recipient`. Without a specific reply address it comes from the
// recipient's own address, which the user's server is most likely to accept.
ReplyMail ComposeTestMail(const std::string& recipient, const std::string& specificSender);

// Lines of a text broken at CR LF, CR or LF; a break at the very end opens no further line.
std::vector<std::string> SplitTextLines(const std::string& text);

inline constexpr char kTextSendingReply[] = "Envoi r\xE9ponse \xE0 ";
inline constexpr char kTextSmtpError[] = "Erreur SMTP";
inline constexpr char kTextTestCaption[] = "Destinataire du message de test";
inline constexpr char kTextTestPrompt[] = "Votre adresse \xE0 laquelle recevoir le test :";
inline constexpr char kTextTestSubject[] = "Test envoi SMTP Mobrelle";
inline constexpr char kTextTestBody[] =
    "Note : L'adresse de l'exp\xE9" "diteur sera celle \xE0 laquelle le spameur aura envoy\xE9 le message";
inline constexpr char kTextTestSent[] =
    "Si vous ne recevez pas de message dans quelques instants,\r\n"
    "il faudra peut \xEAtre modifier les param\xE8tres SMTP.";

}  // namespace mobrelle
