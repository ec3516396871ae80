#pragma once
// A reader for the small part of RTF that a help text needs: paragraphs, line breaks, tabs, bold,
// italic and underline, Windows-1252 and Unicode characters. Tables, fonts, colours, pictures and
// every other destination are skipped. Any byte string is accepted: the reader never reads past the
// end, bounds its group depth, and turns what it does not know into nothing.

#include <string>
#include <string_view>
#include <vector>

namespace mobrelle {

struct RtfRun {
  std::string Text;  // UTF-8; '\n' is a line break inside the paragraph, '\t' a tab
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  int HalfPoints = 0;  // font size from \fsN; 0 when the text gives none
};

struct RtfParagraph {
  std::vector<RtfRun> Runs;
};

struct RtfDocument {
  std::vector<RtfParagraph> Paragraphs;
  // The plain text: paragraphs joined by '\n'.
  std::string PlainText() const;
};

// Groups nested deeper than this share the formatting of the last level kept.
inline constexpr int kRtfMaxDepth = 100;

RtfDocument ParseRtf(std::string_view rtf);

}  // namespace mobrelle
