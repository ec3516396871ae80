#include "filters/reply/reply_settings.h"

#include "app/core/ini_file.h"
#include "app/core/main_settings.h"

namespace mobrelle {

namespace {

// Every line break as CR LF, so that a lone LF (what a text widget hands back) is stored as "¶¶"
// too instead of reaching the file as a blank.
std::string CrLfLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string SavedSmtpServer(const IniFile& ini) {
  return ini.ReadString(kSettingsSection, "SMTPServeur", kDefaultSmtpServer);
}

std::string SavedSmtpId(const IniFile& ini) { return ini.ReadString(kSettingsSection, "SMTPId", kDefaultSmtpId); }

void ReplySettings::Load(const IniFile& ini) {
  SMTPServeur = SavedSmtpServer(ini);
  SMTPId = SavedSmtpId(ini);
  SMTPExped = ini.ReadString(kSettingsSection, "SMTPExped", "");
  // The stored text keeps its line breaks as "¶¶"; the default is already in memo form.
  const std::string stored = ini.ReadString(kSettingsSection, "SpamTexte", EncodeMultiLine(kDefaultSpamText));
  SpamTexte = DecodeMultiLine(stored);
  SMTPServeurModified = SMTPIdModified = SMTPExpedModified = SpamTexteModified = false;
}

void ReplySettings::Save(IniFile& ini) {
  ini.Batch([&] {
    if (SMTPServeurModified) ini.WriteString(kSettingsSection, "SMTPServeur", SMTPServeur);
    if (SMTPIdModified) ini.WriteString(kSettingsSection, "SMTPId", SMTPId);
    if (SMTPExpedModified) ini.WriteString(kSettingsSection, "SMTPExped", SMTPExped);
    if (SpamTexteModified) ini.WriteString(kSettingsSection, "SpamTexte", EncodeMultiLine(CrLfLineBreaks(SpamTexte)));
  });
  SMTPServeurModified = SMTPIdModified = SMTPExpedModified = SpamTexteModified = false;
}

}  // namespace mobrelle
