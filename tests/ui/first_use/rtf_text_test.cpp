#include "ui/first_use/rtf_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace mobrelle {
namespace {

// The document as one line: runs in <b>, <i>, <u> tags, paragraphs joined by '|'.
std::string Markup(const RtfDocument& doc) {
  std::string out;
  for (size_t p = 0; p < doc.Paragraphs.size(); ++p) {
    if (p) out += '|';
    for (const auto& run : doc.Paragraphs[p].Runs) {
      std::string open, close;
      if (run.Bold) open += "<b>", close = "</b>" + close;
      if (run.Italic) open += "<i>", close = "</i>" + close;
      if (run.Underline) open += "<u>", close = "</u>" + close;
      out += open + run.Text + close;
    }
  }
  return out;
}

struct Case {
  const char* name;
  std::string rtf;
  std::string expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RtfReaderTest : public ::testing::TestWithParam<Case> {};

TEST_P(RtfReaderTest, ReadsTextAndFormat) {
  EXPECT_EQ(Markup(ParseRtf(GetParam().rtf)), GetParam().expected) << GetParam().rtf;
}

INSTANTIATE_TEST_SUITE_P(
    RtfInputs, RtfReaderTest,
    ::testing::Values(
        Case{"Plain", R"({\rtf1\ansi Bonjour le monde})", "Bonjour le monde"},
        Case{"Paragraphs", R"({\rtf1 un\par deux\par})", "un|deux"},
        Case{"EmptyParagraphKept", R"({\rtf1 un\par\par deux})", "un||deux"},
        Case{"LineAndTab", R"({\rtf1 a\line b\tab c})", "a\nb\tc"},
        Case{"SourceLineEndsIgnored", "{\\rtf1 a\r\nb}", "ab"},
        Case{"BackslashNewlineIsParagraph", "{\\rtf1 a\\\r\nb}", "a|b"},
        Case{"BoldOnOff", R"({\rtf1 a\b b\b0 c})", "a<b>b</b>c"},
        Case{"GroupEndsFormat", R"({\rtf1 {\b gras}{\i ital}{\ul sous}normal})",
             "<b>gras</b><i>ital</i><u>sous</u>normal"},
        Case{"UlNoneAndPlain", R"({\rtf1\ul a\ulnone b\b\i c\plain d})", "<u>a</u>b<b><i>c</i></b>d"},
        Case{"HexIsWindows1252", R"({\rtf1 caf\'e9 \'80 \'92})", "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x99"},
        Case{"UnicodeSkipsOneFallback", R"({\rtf1 \u233?t\'e9})", "\xC3\xA9t\xC3\xA9"},
        Case{"UnicodeSkipCountAndHexFallback", R"({\rtf1\uc2 \u8364\'80\'80x})", "\xE2\x82\xAC" "x"},
        Case{"UnicodeNoFallback", R"({\rtf1\uc0 \u233 x})", "\xC3\xA9x"},
        Case{"NegativeUnicodeAndSurrogatePair", R"({\rtf1 \u-10179?\u-8704?!})", "\xF0\x9F\x98\x80!"},
        Case{"LoneSurrogate", R"({\rtf1 \u-10179?x})", "\xEF\xBF\xBDx"},
        Case{"FallbackEndsAtGroup", R"({\rtf1\uc3 {\u233}ab})", "\xC3\xA9" "ab"},
        Case{"EscapedSymbols", R"({\rtf1 \\ \{ \} a\~b})", "\\ { } a\xC2\xA0" "b"},
        Case{"OptionalHyphenHidden", R"({\rtf1 anti\-constitution})", "anticonstitution"},
        Case{"TablesAndInfoSkipped",
             R"({\rtf1{\fonttbl{\f0\fswiss Arial;}}{\colortbl;\red0\green0\blue0;}{\stylesheet{\s0 Normal;}})"
             R"({\info{\title Titre}{\author Moi}}x})",
             "x"},
        Case{"IgnorableDestinationSkippedWhole", R"({\rtf1{\*\inconnu texte {\b cach\'e9}}vu})", "vu"},
        Case{"FieldShowsItsResult", R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt lien}}})", "lien"},
        Case{"BinaryDataSkipped", R"({\rtf1 a\bin2 {}b})", "ab"},
        Case{"NothingAfterTheDocument", R"({\rtf1 a}b)", "a"},
        Case{"HugeParameterClamped", R"({\rtf1\b99999999999999999999 x})", "<b>x</b>"},
        Case{"NoControlCharacters", R"({\rtf1 a\'00\u1?b})", "ab"},
        Case{"Quotes", R"({\rtf1 \ldblquote x\rdblquote\emdash})", "\xE2\x80\x9Cx\xE2\x80\x9D\xE2\x80\x94"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Broken input: the reader ends and keeps what it could read.
INSTANTIATE_TEST_SUITE_P(
    RtfMalformed, RtfReaderTest,
    ::testing::Values(Case{"Empty", "", ""}, Case{"Unclosed", R"({\rtf1 a)", "a"},
                      Case{"StrayCloseBraces", "}}}a", "a"}, Case{"TrailingBackslash", "{\\rtf1 a\\", "a"},
                      Case{"CutHexEscape", R"({\rtf1 a\')", "a"}, Case{"HalfHexEscape", R"({\rtf1 a\'e)", "ae"},
                      Case{"BadHexEscape", R"({\rtf1 \'zz})", "zz"},
                      Case{"UnicodeWithoutNumber", R"({\rtf1 \u-})", ""},
                      Case{"BinaryPastTheEnd", R"({\rtf1 a\bin999999 bc})", "a"},
                      Case{"LongControlWord", "{\\rtf1 \\" + std::string(5000, 'x') + " y}", "y"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(RtfReaderSize, FontSizeFollowsItsGroup) {
  const RtfDocument doc = ParseRtf(R"({\rtf1\fs20 a{\fs28 b}c\plain d})");
  ASSERT_EQ(doc.Paragraphs.size(), 1u);
  std::vector<int> sizes;
  for (const auto& run : doc.Paragraphs[0].Runs) sizes.push_back(run.HalfPoints);
  EXPECT_EQ(sizes, (std::vector<int>{20, 28, 20, 0}));
}

TEST(RtfReaderDepth, DeepNestingIsBoundedAndFormatStaysInItsGroup) {
  const int depth = 20000;
  const std::string rtf = "{\\rtf1 " + std::string(depth, '{') + "\\b x" + std::string(depth, '}') + " y}";
  EXPECT_EQ(Markup(ParseRtf(rtf)), "<b>x</b> y");
}

TEST(RtfReaderFile, TheShippedGuideReads) {
  // The guide itself: a title in bold, accents through \'hh, no font names leaking through.
  const std::string path = std::string(MOBRELLE_SOURCE_DIR) + "/resources/Premiere utilisation.rtf";
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::string bytes;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
  std::fclose(f);
  const RtfDocument doc = ParseRtf(bytes);
  ASSERT_FALSE(doc.Paragraphs.empty());
  ASSERT_FALSE(doc.Paragraphs[0].Runs.empty());
  EXPECT_TRUE(doc.Paragraphs[0].Runs[0].Bold);
  EXPECT_EQ(doc.Paragraphs[0].Runs[0].Text, "Bienvenue dans Mobrelle !");
  const std::string text = doc.PlainText();
  EXPECT_EQ(text.find("Arial"), std::string::npos);
  EXPECT_NE(text.find("bo\xC3\xAEtes aux lettres"), std::string::npos);
  EXPECT_EQ(text.find('\\'), std::string::npos);
}

}  // namespace
}  // namespace mobrelle
