#pragma once
// The settings of the reply to rejected senders, kept in the main section of the configuration
// file. Texts are Windows-1252.

#include <string>

namespace mobrelle {

class IniFile;

// Shown in the server field until the user types the real one. The ".invalid" name can never
// resolve, so a reply sent before the field is filled in reaches nobody.
inline constexpr char kDefaultSmtpServer[] = "smtp.fournisseur.invalid";
inline constexpr char kDefaultSmtpId[] = "identifiant";
// The six lines of the reply text as first designed, trailing spaces included.
inline constexpr char kDefaultSpamText[] =
    "Votre message a \xE9t\xE9 refus\xE9 par le destinataire \r\n"
    "en raison de la pr\xE9sence d'un filtre \r\n"
    "anti-spam.\r\n"
    "Si votre message n'\xE9tait pas un spam, veuillez \r\n"
    "avertir son destinataire par un autre moyen afin \r\n"
    "qu'il corrige son filtre.";

struct ReplySettings {
  std::string SMTPServeur = kDefaultSmtpServer;
  std::string SMTPId = kDefaultSmtpId;
  std::string SMTPExped;                   // reply address of reply mode 's'
  std::string SpamTexte = kDefaultSpamText;  // body of every reply, lines separated by CR LF

  // Set when the value was edited since it was loaded or saved.
  bool SMTPServeurModified = false;
  bool SMTPIdModified = false;
  bool SMTPExpedModified = false;
  bool SpamTexteModified = false;

  // Reads the four values and clears the marks.
  void Load(const IniFile& ini);
  // Writes only the marked values, in one write of the file, then clears their marks. When the file
  // cannot be written the error propagates and the marks stay, so nothing is lost silently.
  void Save(IniFile& ini);
};

// The server and account name as saved, read at each reply.
std::string SavedSmtpServer(const IniFile& ini);
std::string SavedSmtpId(const IniFile& ini);

}  // namespace mobrelle
