#pragma once
// Member names: the conversion of names stored by MS-DOS hosts (code page 437) into the program's
// Windows-1252 text, UTF-8 names, the mask rules of ExtractFiles, and the checks on paths written.

#include <string>
#include <string_view>

namespace mobrelle::zip {

// The Windows-1252 byte for a code page 437 byte, from one fixed table: ASCII unchanged, the
// accented letters and symbols both pages hold become their 1252 bytes, the others a look-alike
// ('+', '-', '|' for box drawing, 'a' for alpha...) or '?'.
unsigned char Cp437ToCp1252(unsigned char c);
std::string Cp437ToCp1252(std::string_view name);

// UTF-8 to Windows-1252 ('?' for what the code page lacks); false when `utf8` is not valid UTF-8.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);
// Windows-1252 to UTF-8, the undefined bytes of the code page kept as the C1 control of their value.
std::string Cp1252ToUtf8(std::string_view text);

// The mask rules of ExtractFiles: letter case ignored (Windows-1252 letters); the folder part is
// compared only when the mask has one; "*" and "*.*" as the whole name part match any non-empty
// name part; "?" is one character, "*" any run. A name whose name part is empty never matches.
// '/' and '\' both separate folders in the mask and in the name.
bool ZipMaskMatches(std::string_view mask, std::string_view name);

// True when a member path, written below the base folder, stays below it: not absolute, no drive
// letter, no ".." step ('/' and '\' both taken as separators for this test), not empty.
bool IsSafeRelativePath(std::string_view path);

}  // namespace mobrelle::zip
