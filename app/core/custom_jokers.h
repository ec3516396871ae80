#pragma once
// The user's own wildcards of the [JokerPerso] section: each value is the wildcard character, one
// ignored character, then the set of characters it stands for.

#include <string>
#include <vector>

namespace mobrelle {

class IniFile;

struct structListeJoker {
  char Joker;
  std::string Chars;
};

struct CustomJokers {
  std::vector<structListeJoker> List;  // in key order
  std::string Characters;              // every wildcard character, in the same order
};

CustomJokers LoadCustomJokers(const IniFile& ini);

}  // namespace mobrelle
