#include "app/core/custom_jokers.h"

#include "app/core/ini_file.h"
#include "app/core/main_settings.h"

namespace mobrelle {

CustomJokers LoadCustomJokers(const IniFile& ini) {
  CustomJokers jokers;
  for (const auto& key : ini.ReadSection(kJokersSection)) {
    const std::string value = ini.ReadString(kJokersSection, key, "");
    if (value.size() < 3) continue;
    jokers.List.push_back({value[0], value.substr(2)});
    jokers.Characters += value[0];
  }
  return jokers;
}

}  // namespace mobrelle
