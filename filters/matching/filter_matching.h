#pragma once
// Whether one filter text matches one piece of a message: character jokers, exact texts with '*',
// partial and whole-word texts, and the multiple-words kind.

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/custom_jokers.h"

namespace mobrelle {

inline constexpr char kPartialMarker = '\xB6';    // ¶
inline constexpr char kWordsMarker = '\xA7';      // §
inline constexpr char kWholeWordMarker = '~';

// The character sets the matching uses, as the settings give them. Made by MakeMatchSettings,
// which also fills the lookup sets from the texts.
struct MatchSettings {
  std::string Consonants;  // what 'µ' stands for
  std::string AlphaNum;    // word characters of the whole-word kind
  CustomJokers Jokers;
  std::bitset<256> ConsonantSet, AlphaNumSet;
  std::bitset<256> JokerSet;  // pattern bytes (lower case) that are not compared as themselves
};

// Lower-cases both sets and puts back the default for an empty one.
MatchSettings MakeMatchSettings(std::string_view consonants, std::string_view alphaNum,
                                CustomJokers jokers = {});

bool CharMatch(char p, char t, const MatchSettings& settings);
// Exact, partial or whole-word test chosen by the first byte of the filter.
bool MatchFilter(std::string_view filter, std::string_view text, const MatchSettings& settings);
// The multiple-words test: every word of the filter (after its marker) is in the lower-cased text.
bool MatchWords(std::string_view filter, std::string_view text);
// The words of a multiple-words filter: the pieces before each space, and the last piece when it
// has two bytes or more.
std::vector<std::string_view> SplitFilterWords(std::string_view filter);

// 'R' counts as 'r'; space -1, 'g' 0, 'd' 1, 'r' 2, anything else 3.
int ActionRank(char action);

}  // namespace mobrelle
