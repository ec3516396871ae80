#pragma once
// The settings of the nonexistent-sender check, kept in the main section of the configuration file.

#include <cstdint>
#include <string>

namespace mobrelle {

class IniFile;

struct SenderCheckSettings {
  bool RejetInex = false;           // run the check for every message not yet rejected
  int32_t ConditionsRejetInex = 0;  // 0 unknown address, 1 domain without exchanger, 2 both
  int32_t AvantRejetInex = 0;       // 0 reject at once, 1 ask then delete, 2 ask then keep
  std::string IPDns;                // DNS server to ask; empty: the system's

  void Load(const IniFile& ini);
  // Writes RejetInex, ConditionsRejetInex, AvantRejetInex and IPDns, in that order.
  void Save(IniFile& ini) const;

  // 'r', 'd' or 'g' for AvantRejetInex; a value out of range asks and keeps ('g'), so a damaged
  // file never makes the check delete without asking.
  char ActionLetter() const;
};

}  // namespace mobrelle
