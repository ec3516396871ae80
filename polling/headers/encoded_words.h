#pragma once
// Decoding of RFC 2047 encoded words ("=?charset?B|Q?text?=") in a header text.

#include <string>
#include <string_view>

namespace mobrelle {

// Decodes the encoded words of `text` into Windows-1252 text. Words in UTF-8 or ISO-8859-15 are
// converted (characters the code page lacks become '?'); other charsets are taken byte for byte.
// Leading spaces go, runs of spaces shrink to one and the blanks between adjacent words vanish.
// A Base64 word whose length is not a multiple of four stops the decoding: the result is then what
// had not been consumed yet.
std::string DecodeEncodedWords(std::string_view text);

}  // namespace mobrelle
