#pragma once
// Windows-1252 text helpers. The program's text is single-byte Windows-1252 held in std::string;
// these are the only conversions between that and Unicode (UTF-8 or UTF-32 code points).

#include <cstdint>
#include <string>
#include <string_view>

namespace mobrelle {

// Lower/upper case of one Windows-1252 byte, from one fixed table (ASCII and the accented letters,
// Š Œ Ž Ÿ included). Never depends on the C locale.
unsigned char Cp1252Lower(unsigned char c);
unsigned char Cp1252Upper(unsigned char c);
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
// Case-insensitive equality by the same table.
bool SameText(std::string_view a, std::string_view b);

// The Unicode code point of a Windows-1252 byte. The five bytes that code page leaves undefined map
// to the C1 control of the same value, so every byte survives a round trip.
char32_t Cp1252ToUnicode(unsigned char c);
// The Windows-1252 byte of a code point, or `fallback` when the code page has none.
unsigned char UnicodeToCp1252(char32_t cp, unsigned char fallback = '?');

std::string Cp1252ToUtf8(std::string_view text);
// The same, appended to `out` (no string of its own for each piece of a longer text).
void AppendCp1252AsUtf8(std::string& out, std::string_view text);
// One code point in UTF-8; one that Unicode does not allow becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);
// Invalid UTF-8 sequences and characters outside the code page become `fallback`.
std::string Utf8ToCp1252(std::string_view utf8, unsigned char fallback = '?');

}  // namespace mobrelle
