#include "app/core/cp1252.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

TEST(Cp1252, LowerCaseCoversAccentedLettersAndTheFourOddOnes) {
  // ÀÉÎÕÜÇ Š Œ Ž Ÿ, and the multiplication sign and ß that have no pair.
  EXPECT_EQ(LowerCase("AZ\xC0\xC9\xCE\xD5\xDC\xC7\x8A\x8C\x8E\x9F"), "az\xE0\xE9\xEE\xF5\xFC\xE7\x9A\x9C\x9E\xFF");
  EXPECT_EQ(LowerCase("\xD7\xDF\xF7@[`{"), "\xD7\xDF\xF7@[`{");
  EXPECT_EQ(UpperCase("\xE9\xFF\x9C"), "\xC9\x9F\x8C");
  EXPECT_TRUE(SameText("JokerPerso", "jokerperso"));
  EXPECT_TRUE(SameText("\xC9T\xC9", "\xE9t\xE9"));
  EXPECT_FALSE(SameText("abc", "abd"));
}

TEST(Cp1252, EveryByteSurvivesTheRoundTripThroughUtf8) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80\xB6\xE9"), "\xE2\x82\xAC\xC2\xB6\xC3\xA9");  // € ¶ é
  // Plain runs between the others, at either end.
  EXPECT_EQ(Cp1252ToUtf8("ab\xE9t\xE9 \x80"), "ab\xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(Utf8ToCp1252("ab\xC3\xA9t\xC3\xA9 \xE2\x82\xAC!"), "ab\xE9t\xE9 \x80!");
}

TEST(Cp1252, CharactersOutsideTheCodePageAndBadUtf8BecomeTheFallback) {
  EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD" "b"), "a?b");       // a CJK character
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");          // an emoji
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");                      // cut sequence
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");                 // overlong '/'
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80", '_'), "___");       // surrogate
}

}  // namespace
}  // namespace mobrelle
