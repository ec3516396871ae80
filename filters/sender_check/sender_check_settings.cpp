#include "filters/sender_check/sender_check_settings.h"

#include "app/core/ini_file.h"
#include "app/core/main_settings.h"

namespace mobrelle {

void SenderCheckSettings::Load(const IniFile& ini) {
  const SenderCheckSettings d;
  RejetInex = ini.ReadBool(kSettingsSection, "RejetInex", d.RejetInex);
  ConditionsRejetInex = ini.ReadInteger(kSettingsSection, "ConditionsRejetInex", d.ConditionsRejetInex);
  AvantRejetInex = ini.ReadInteger(kSettingsSection, "AvantRejetInex", d.AvantRejetInex);
  IPDns = ini.ReadString(kSettingsSection, "IPDns", d.IPDns);
}

void SenderCheckSettings::Save(IniFile& ini) const {
  ini.WriteBool(kSettingsSection, "RejetInex", RejetInex);
  ini.WriteInteger(kSettingsSection, "ConditionsRejetInex", ConditionsRejetInex);
  ini.WriteInteger(kSettingsSection, "AvantRejetInex", AvantRejetInex);
  ini.WriteString(kSettingsSection, "IPDns", IPDns);
}

char SenderCheckSettings::ActionLetter() const {
  switch (AvantRejetInex) {
    case 0: return 'r';
    case 1: return 'd';
    default: return 'g';
  }
}

}  // namespace mobrelle
