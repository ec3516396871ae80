#include "polling/headers/encoded_words.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

struct Case {
  const char* text;
  const char* decoded;
};

TEST(EncodedWords, DecodingJoiningAndSpaces) {
  const Case cases[] = {
      {"=?ISO-8859-1?Q?Caf=E9_cr=E8me?=", "Caf\xE9 cr\xE8me"},
      {"=?utf-8?b?SGVs?= =?utf-8?b?bG8g?=", "Hello "},  // joined, lower-case letter accepted
      // The padding '=' and the '?' of "?=" look like the start of a word: the space stays.
      {"=?UTF-8?B?SGVsbG8=?= =?UTF-8?B?IHdvcmxk?=", "Hello  world"},
      {"=?UTF-8?B?SGVsbG8=?= =?UTF-8?b?IHdvcmxk?=", "Hello IHdvcmxk"},
      {"=?iso-8859-1?q?a?= =?iso-8859-1?q?b?= =?iso-8859-1?q?c?= =?iso-8859-1?q?d?= =?iso-8859-1?q?e?=", "abcde"},
      {"=?x?q?a?=\r\n\t=?x?q?b?=", "ab"},
      {"Re:  two   spaces", "Re: two spaces"},
      {"Hello   World", "Hello World"},  // a folded subject
      {"   leading", "leading"},
      {"    ", ""},
      {"", ""},
      {"=?x?Q?a=4?=", "a=4"},  // '=' without two bytes after it stays
      {"=?x?Q?=ZZ=4a?=", "#J"},
      {"Re: =?x?Q?a?= b", "Re: a b"},
      {"=?x?X?a_b?=", "a_b"},             // unknown letter: text as it is
      {"=?x?Q?abc", "abc"},               // no end of word
      {"a =? b", "a =? b"},               // not a word
      {"Re: =?x?q?a?", "Re: a?"},         // no end of word either
      {"=?UTF-8?B?w4l0w6k=?= News", "\xC9t\xE9 News"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEncodedWords(c.text), c.decoded) << c.text;
}

// A Base64 word of the wrong length stays as written, and the text around it is kept.
TEST(EncodedWords, Base64OfWrongLengthStaysAsWritten) {
  EXPECT_EQ(DecodeEncodedWords("=?iso-8859-1?B?SGVsbG8?="), "=?ISO-8859-1?B?SGVsbG8?=");
  EXPECT_EQ(DecodeEncodedWords("Re: =?x?B?abc?= more"), "Re: =?X?B?abc?= more");
  EXPECT_EQ(DecodeEncodedWords("=?x?B?abc?= =?x?B?YWJj?="), "=?X?B?abc?=abc");
}

TEST(EncodedWords, CharsetsAreConvertedToTheProgramsCodePage) {
  const Case cases[] = {
      {"=?UTF-8?B?Q2Fmw6kgY3LDqG1l?=", "Caf\xE9 cr\xE8me"},
      {"=?utf-8?q?=E2=82=AC_100?=", "\x80 100"},
      {"=?UTF-8?B?5Lit?=x", "?x"},                         // not in the code page
      {"=?UTF-8?Q?caf=C3?= =?UTF-8?Q?=A9?=", "caf\xE9"},   // one character split over two words
      {"=?UTF-8?Q?caf=C3?= x", "caf? x"},                   // a cut character
      {"=?utf-8*fr?q?=C3=A9?=", "\xE9"},                    // with a language
      {"=?ISO-8859-15?Q?=A4=BD?=", "\x80\x9C"},
      {"=?iso-8859-1?q?=A4?=", "\xA4"},
      {"=?windows-1252?Q?=80?=", "\x80"},
      {"=?KOI8-R?Q?=E1?=", "\xE1"},  // unknown: byte for byte
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeEncodedWords(c.text), c.decoded) << c.text;
}

}  // namespace
}  // namespace mobrelle
