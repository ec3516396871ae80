#include "filters/matching/filter_matching.h"

#include <gtest/gtest.h>

#include "app/core/main_settings.h"

namespace mobrelle {
namespace {

MatchSettings Defaults() { return MakeMatchSettings("", ""); }

TEST(CharMatch, CaseFoldsButKeepsAccentsAndKnowsTheJokers) {
  const auto s = Defaults();
  EXPECT_TRUE(CharMatch('\xC9', '\xE9', s));   // É é
  EXPECT_FALSE(CharMatch('e', '\xE9', s));
  EXPECT_TRUE(CharMatch('\xB5', 'B', s));      // µ: a consonant
  EXPECT_FALSE(CharMatch('\xB5', 'a', s));
  EXPECT_TRUE(CharMatch('#', '7', s));
  EXPECT_FALSE(CharMatch('#', 'x', s));
  EXPECT_TRUE(CharMatch('?', ',', s));
}

TEST(CharMatch, UserJokersRedefineLettersAndQuestionMarkButNotMuOrHash) {
  CustomJokers j;
  j.List = {{'v', "aeiou"}, {'?', "xy"}, {'#', "ab"}, {'V', "z"}};
  j.Characters = "v?#V";
  const auto s = MakeMatchSettings("", "", j);
  EXPECT_TRUE(CharMatch('v', 'E', s));
  EXPECT_FALSE(CharMatch('v', 'v', s));  // the joker replaces the letter itself
  EXPECT_TRUE(CharMatch('?', 'y', s));
  EXPECT_FALSE(CharMatch('?', 'a', s));
  EXPECT_TRUE(CharMatch('#', '3', s));   // '#' stays the digit joker
  EXPECT_TRUE(CharMatch('V', 'a', s));   // 'V' is looked up lower-cased: the first joker decides
}

struct Case {
  const char* filter;
  const char* text;
  bool expected;
};

TEST(MatchFilter, Table) {
  const Case cases[] = {
      // exact, '*' takes at least one character and never backtracks across a later '*'
      {"*", "x", true},
      {"*", "", false},
      {"a*", "a", false},
      {"a*", "ab", true},
      {"*a", "a", false},
      {"*a", "ba", true},
      {"a*b", "ab", false},
      {"a*b", "axb", true},
      {"ab*", "ab", false},
      {"ab*", "abc", true},
      {"spam*pub", "spam01pub", true},
      {"x*y*z", "xaybz", true},
      {"x*y*z", "xyz", false},
      {"a*bc", "abxbc", true},   // retried one character further after a mismatch
      {"a*b*", "axb", false},    // a trailing '*' needs a character
      {"a*b*c", "axbbxc", true},
      {"a*b*c", "axbxbc", true},
      {"*@*.top", "x@mail.top", true},
      {"*@*.top", "x@a.b.top", true},
      {"?bc", "abc", true},
      {"#2", "12", true},
      {"\xB5" "a", "ba", true},
      {"\xB5" "a", "aa", false},
      {"abc", "ABC", true},
      {"abc", "abcd", false},
      {"abcd", "abc", false},
      {"\xA7" "cheap pills", "\xA7" "cheap pills", true},  // multiple words given here: exact
      {"\xA7" "cheap pills", "cheap pills", false},
      // partial
      {"\xB6" "casino", "grand casino royal", true},
      {"\xB6" "casino", "grand casin", false},
      {"\xB6" "ca*o", "ca*o", true},   // '*' is an ordinary character here
      {"\xB6" "ca*o", "casino", false},
      {"\xB6" "#\xB5", "a1b", true},
      {"\xB6", "anything", true},
      {"\xB6" "aab", "aaab", true},
      // whole word
      {"~spam", "buy spam now", true},
      {"~spam", "spam", true},
      {"~spam", "spammer", false},
      {"~spam", "spammers spam", false},  // the first match at a word start decides
      {"~casino", "casinos", false},
      {"~casino", "xcasino", false},
      {"~casino", "Xcasino", true},       // upper case is not a word character
      {"~casino", "\xC9" "casino", true},
      {"~casino", "\xE9" "casino", false},
      {"~casino", "le casino.", true},
      // empty inputs
      {"", "abc", false},
      {"abc", "", false},
  };
  const auto s = Defaults();
  for (const auto& c : cases)
    EXPECT_EQ(MatchFilter(c.filter, c.text, s), c.expected) << c.filter << " / " << c.text;
}

TEST(MatchWords, Table) {
  const Case cases[] = {
      {"\xA7" "cheap pills", "Buy PILLS cheap", true},
      {"\xA7" "cheap pills", "cheap stuff", false},
      {"\xA7" "cheap x", "cheap x", false},     // a final one-letter word is dropped: one word left
      {"\xA7" "cheap", "cheap", false},         // one word is not enough
      {"\xA7" "a b c", "a b c", true},          // one-letter words before a space count
      {"\xA7" "pr\xEEt", "x", false},
      {"\xA7" "caf\xE9 cr\xE8me", "CAF\xC9 CR\xC8ME", true},
      {"\xA7  ", "anything", false},            // only empty words: catches nothing
      {"\xA7", "anything", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchWords(c.filter, c.text), c.expected) << c.filter;
}

TEST(ActionRank, OrdersSpaceGDRAndUnknownLast) {
  EXPECT_EQ(ActionRank(' '), -1);
  EXPECT_EQ(ActionRank('g'), 0);
  EXPECT_EQ(ActionRank('d'), 1);
  EXPECT_EQ(ActionRank('D'), 1);
  EXPECT_EQ(ActionRank('R'), 2);
  EXPECT_EQ(ActionRank('r'), 2);
  EXPECT_EQ(ActionRank('x'), 3);
}

TEST(MatchSettings, LowerCasesAndKeepsDefaultsForEmptyValues) {
  const auto s = MakeMatchSettings("BCD", "");
  EXPECT_EQ(s.Consonants, "bcd");
  EXPECT_EQ(s.AlphaNum, kDefaultAlphaNum);
  EXPECT_EQ(Defaults().Consonants, kDefaultConsonants);
}

}  // namespace
}  // namespace mobrelle
