#pragma once
// Line-by-line decoding of the transfer encodings of a message body. Each function appends the
// decoded bytes of one body line (given without its line end) to `out`.

#include <string>
#include <string_view>

namespace mobrelle::mime {

// Groups of four characters; a '=' third gives one byte, fourth two; a group cut short by the end
// of the line counts as padded. Blanks at both ends are ignored, other strays decode as zero bits.
void AppendBase64Line(std::string_view line, std::string& out);

// Returns false when the line ends in a soft break ('=' last): then no line end is appended,
// otherwise CR LF is.
bool AppendQuotedPrintableLine(std::string_view line, std::string& out);

// One line of a uuencoded file: the first character gives the byte count.
void AppendUudecodedLine(std::string_view line, std::string& out);

}  // namespace mobrelle::mime
